// Scene 1: the symbols above the ground plane: the turn, the shake, the spark
// timer and the clearing glow.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/crt_random.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene1.h"
#include "support/music_time.h"

namespace {

TEST(Symbols, SparkTimerDropsItsRemainderSoALongFrameBurstsOnce) {
    float timer = 0;
    EXPECT_TRUE(advanceSparkTimer(timer, 250));
    EXPECT_EQ(timer, 0.0f);
    EXPECT_FALSE(advanceSparkTimer(timer, 60));
    EXPECT_TRUE(advanceSparkTimer(timer, 40)) << "at exactly 100 ms";
    EXPECT_EQ(timer, 0.0f);
}

TEST(Symbols, OpensUnderItsGlowAndClosesToBlack) {
    at(29000.5f);
    ASSERT_EQ(sceneIndex, 1);
    EXPECT_FLOAT_EQ(symbolPathParameter(29000.5f), 0.0002f);
    EXPECT_NEAR(*clearingGlowAlpha(29000.5f), 0.99975f, 1e-6f);
    EXPECT_FALSE(clearingGlowAlpha(31000));
    EXPECT_FALSE(closingAlpha(kSymbolsFadeOut, 50000, sceneEnd(1)));
    EXPECT_FLOAT_EQ(*closingAlpha(kSymbolsFadeOut, 50500, sceneEnd(1)), 0.5f);
    EXPECT_EQ(kSymbolsFadeOut.colour.r, 0.0f);
}

TEST(Symbols, TurnOnceEvery7200MsAndShakeOnlyPast200Degrees) {
    const float start = static_cast<float>(sceneStartMs[1]);
    at(start + 4000.0f);
    EXPECT_FLOAT_EQ(symbolAngle(), 200.0f);
    EXPECT_EQ(symbolShake(), 0.0f);
    at(start + 4020.0f);
    EXPECT_FLOAT_EQ(symbolAngle(), 201.0f);
    EXPECT_EQ(symbolShake(), 9.0f);
    at(start + 7199.0f);
    EXPECT_NEAR(symbolAngle(), 359.95f, 1e-3f);
    EXPECT_EQ(symbolShake(), 9.0f);
    at(start + 7200.0f);
    EXPECT_EQ(symbolShake(), 0.0f);
    at(start + 7200.0f + 4020.0f);
    EXPECT_EQ(symbolShake(), 9.0f);
}

}  // namespace
