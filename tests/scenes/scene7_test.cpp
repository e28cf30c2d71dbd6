// Scene 7: the falling city: its rise, drop, travel, rings and swell.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene7.h"
#include "scenes/scene_entries.h"
#include "support/music_time.h"
#include "support/temp_dir.h"

namespace {

TEST(City, RisesOutOfTheGroundThenEachSectionHasItsEye) {
    at(sceneStart(7) + 0.5f);
    const CameraShot rising = cityShot(0, sceneStart(7) + 0.5f, 0);
    EXPECT_NEAR(rising.eye.y, -5.96f, 0.01f);
    EXPECT_NEAR(rising.centre.y, -69.81f, 0.01f);
    EXPECT_EQ(rising.eye.x, 0.0f);

    // Section 4 starts on the A event at 163000: just after it the B pulse
    // keeps the eye at the default (10, 20); as the pulse dies it swings out
    // 40 units about that place at the fallen city's height plus 100.
    const float now = 163000.5f;
    at(now);
    const CameraShot base = cityShot(3, now, 0);
    const CameraShot fresh = cityShot(4, now, sigmoidStep(1));
    EXPECT_NEAR(fresh.eye.x, 10.0f, 0.2f);
    EXPECT_NEAR(fresh.eye.y, 20.0f, 0.5f);
    const float g = sigmoidStep(0);
    const CameraShot decayed = cityShot(4, now, g);
    EXPECT_NEAR(decayed.eye.y, (1 - g) * (cityDrop() + 100) + g * 20, 1e-3f);
    EXPECT_NEAR(std::hypot(decayed.eye.x - base.eye.x, decayed.eye.z - base.eye.z), 40 * (1 - g), 1e-3f);
    EXPECT_FLOAT_EQ(decayed.centre.y, -195.0f) << "the target follows the drop";
    EXPECT_FLOAT_EQ(cityShot(5, 172000, 0).eye.y, -170.0f);
}

TEST(City, RingsPopInEvery150MsAndOnlyTheFirst102ShowBeforeTheEnd) {
    EXPECT_FALSE(groundRingHalfSize(0, 163000));
    EXPECT_NEAR(*groundRingHalfSize(0, 164000), 12.0552f, 1e-3f);
    EXPECT_FALSE(groundRingHalfSize(20, 166000));
    EXPECT_TRUE(groundRingHalfSize(20, 166001));
    EXPECT_TRUE(groundRingHalfSize(101, sceneEnd(7) - 1));
    EXPECT_FALSE(groundRingHalfSize(102, sceneEnd(7)));
}

TEST(City, SwellsFrom171000ToAbout1Point9LessTheBeat) {
    EXPECT_EQ(cityScale(171000, 1), 1.0f);
    EXPECT_NEAR(cityScale(sceneEnd(7), 0), 1.9f, 1e-4f);
    EXPECT_NEAR(cityScale(175000, 1), 1.4f, 1e-4f);
    EXPECT_FLOAT_EQ(*closingAlpha(kCityFadeOut, sceneEnd(7) - 250, sceneEnd(7)), 0.5f);
    EXPECT_FALSE(closingAlpha(kCityFadeOut, sceneEnd(7) - 500, sceneEnd(7)));
}

TEST(City, DropsTwoHundredUnitsInTwoSecondsFrom161000) {
    at(160999);
    EXPECT_EQ(cityDrop(), 0.0f);
    at(162000);
    EXPECT_NEAR(cityDrop(), -50.0f, 1e-3f);
    at(163000);
    EXPECT_NEAR(cityDrop(), -200.0f, 1e-3f);
    at(175000);
    EXPECT_NEAR(cityDrop(), -200.0f, 1e-3f);
}

TEST(City, TravelsSixteenUnitsASecondFromTheSceneStart) {
    at(150000);
    EXPECT_NEAR(cityTravel(), 16.0f, 1e-3f);
    EXPECT_NEAR(cityTravelAt(163000), 224.0f, 1e-2f);
}

}  // namespace
