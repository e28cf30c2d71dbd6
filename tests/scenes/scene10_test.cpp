// Scene 10: the credits: the fades and the wobble.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene10.h"
#include "scenes/scene_entries.h"
#include "support/music_time.h"
#include "support/temp_dir.h"

namespace {

TEST(Credits, FadeInFromWhiteAndToBlackFromFiveSecondsIn) {
    EXPECT_EQ(openingAlpha(kCreditsFadeIn, sceneStart(10), sceneStart(10)), 1.0f);
    at(242000);
    EXPECT_FALSE(creditsBlackAlpha(sceneStart(10) + 5000));
    EXPECT_FLOAT_EQ(*creditsBlackAlpha(242200), 0.5f);
    EXPECT_FLOAT_EQ(*creditsBlackAlpha(243200), 1.5f) << "drawn as full black, the last frame";
}

TEST(Credits, WobbleLosesOnePixelEvery300Ms) {
    EXPECT_EQ(creditsWobble(0), 10);
    EXPECT_EQ(creditsWobble(300), 9);
    EXPECT_EQ(creditsWobble(2950), 0);
    EXPECT_EQ(creditsWobble(6000), 0);
}

}  // namespace
