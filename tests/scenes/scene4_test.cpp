// Scene 4: the flight past the glowing bars: the camera, the layout and the colours.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene4.h"
#include "support/music_time.h"

namespace {

TEST(Bars, CameraStartsAt130AndRacesToAbout5730) {
    const CameraShot first = barsShot(0);
    EXPECT_FLOAT_EQ(first.eye.x, 130.0f);
    EXPECT_FLOAT_EQ(first.eye.z, 100.0f);
    EXPECT_FLOAT_EQ(first.centre.x, 130.0f);
    EXPECT_EQ(first.centre.z, 0.0f);
    const CameraShot last = barsShot(sceneEnd(4) - sceneStart(4));  // 5600 ms: e about 0.933
    EXPECT_NEAR(last.centre.x, 5730.0f, 0.1f);
    EXPECT_NEAR(std::hypot(last.eye.x - last.centre.x, last.eye.z), 100.0f, 1e-2f) << "circling at 100";
    EXPECT_NEAR(std::atan2(-(last.eye.x - last.centre.x), last.eye.z), 5600.0f / 5400.0f, 1e-4f);
}

TEST(Bars, GrowOutOfNothingAndShowOnlyPastTheThreshold) {
    for (int i = 0; i < kBars; ++i) {
        ASSERT_EQ(barAt(i, 0, 0).size, 0.0f) << i;
        ASSERT_EQ(barAt(i, 0, 1).size, 0.0f) << "the beat flare also starts from nothing";
        // At 200 ms the growth is 1/6: below the 0.2 a bar must pass without a beat.
        ASSERT_EQ(barAt(i, 200, 0).size, 0.0f) << i;
    }
    int flaring = 0;
    for (int i = 0; i < kBars; ++i) flaring += barAt(i, 200, 1).size > 0 ? 1 : 0;
    EXPECT_GT(flaring, kBars / 2);
}

TEST(Bars, LayoutIsTheFixedFunctionOfTheBarNumber) {
    struct Expected {
        int i;
        float x, y, z;
    };
    // Worked out in double precision from the layout's formulas.
    for (const Expected& e : {Expected{0, 315.696f, 43.1581f, -0.45539f}, Expected{1, 2844.87f, -32.1686f, -10.1819f},
                              Expected{7, 950.435f, 0.31122f, 56.8500f}}) {
        const Bar bar = barAt(e.i, 6000, 0);
        EXPECT_NEAR(bar.position.x, e.x, 0.02f) << e.i;
        EXPECT_NEAR(bar.position.y, e.y, 0.002f) << e.i;
        EXPECT_NEAR(bar.position.z, e.z, 0.002f) << e.i;
    }
    // Fully grown (5 times the growth factor, less 0.2): bar 0's factor is
    // 0.049270, bar 1's 0.471210.
    EXPECT_NEAR(barAt(0, 6000, 0).size, 5 * 0.049270f - 0.2f, 1e-4f);
    EXPECT_NEAR(barAt(1, 6000, 0).size, 5 * 0.471210f - 0.2f, 1e-4f);

    float widest = 0;
    for (int i = 0; i < kBars; ++i) {
        const Bar bar = barAt(i, 6000, 0);
        ASSERT_GE(bar.position.x, 0.0f);
        ASSERT_LE(std::fabs(bar.position.y), 60.0f);
        ASSERT_LE(std::fabs(bar.position.z), 60.0f);
        widest = std::max(widest, bar.position.x);
    }
    EXPECT_GT(widest, 5500.0f);
    EXPECT_LE(widest, 6000.0f);
}

TEST(Bars, ColourRunsFromBlueToOrangeAndTheGlowAndFlashCloseTheScene) {
    // Red x / 4000, green x / 7000, blue 1 - x / 5000, all times the size:
    // pure blue at x = 0, (1.25, 0.714, 0) at x = 5000.
    int shown = 0;
    for (int i = 0; i < kBars; ++i) {
        const Bar bar = barAt(i, 6000, 1);
        if (bar.size <= 0) continue;
        ++shown;
        const float x = bar.position.x;
        ASSERT_NEAR(bar.colour.r / bar.size, x / 4000, 1e-4f) << i;
        ASSERT_NEAR(bar.colour.g / bar.size, x / 7000, 1e-4f) << i;
        ASSERT_NEAR(bar.colour.b / bar.size, 1 - x / 5000, 1e-4f) << i;
    }
    EXPECT_GT(shown, 100);

    EXPECT_FALSE(closingAlpha(kBarsGlowFade, sceneEnd(4) - 1500, sceneEnd(4)));
    EXPECT_FLOAT_EQ(*closingAlpha(kBarsGlowFade, sceneEnd(4) - 750, sceneEnd(4)), 0.5f);
    EXPECT_FLOAT_EQ(*closingAlpha(kBarsFadeOut, sceneEnd(4) - 150, sceneEnd(4)), 0.5f);
    EXPECT_LT(*closingAlpha(kBarsFadeOut, sceneEnd(4) - 400, sceneEnd(4)), 0.0f);
    EXPECT_EQ(kBarsFadeOut.colour.b, 1.0f) << "a flash to white";
}

}  // namespace
