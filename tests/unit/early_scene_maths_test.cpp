// The maths of the first five scenes at the edges their timing gives: the
// opening flight's cues, camera and overlays, the symbols' spark timer and
// clearing glow, the clouds' sheets and whitening, the cloud tunnel's warp
// and fades, the bars' camera, layout and colours. A wrong constant or a
// test turned from strict to inclusive moves one of these numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene0.h"
#include "scenes/scene1.h"
#include "scenes/scene2.h"
#include "scenes/scene3.h"
#include "scenes/scene4.h"
#include "support/music_time.h"

namespace {

constexpr float kSigmoidAtZero = 0.0024726f;  // sigmoidStep(0)

TEST(OpeningFlight, WhiteFadesToATransparentBlackAndTheFieldWaitsFor6500) {
    const Colour white = openingClearColour(0);
    EXPECT_EQ(white.r, 1.0f);
    EXPECT_EQ(white.a, 1.0f);
    EXPECT_FLOAT_EQ(openingClearColour(2500).g, 0.5f);
    EXPECT_NEAR(openingClearColour(4999).b, 0.0002f, 1e-6f);
    const Colour black = openingClearColour(5000);
    EXPECT_EQ(black.r, 0.0f);
    EXPECT_EQ(black.a, 0.0f) << "the field is drawn over a transparent clear";

    EXPECT_FALSE(fieldShown(6499.9f));
    EXPECT_TRUE(fieldShown(6500));
    EXPECT_FALSE(dustDue(5000)) << "the dust waits until past 5000";
    EXPECT_TRUE(dustDue(5000.5f));
}

TEST(OpeningFlight, CameraDropsWithBouncesThenTakesThePathHeights) {
    EXPECT_NEAR(dropHeight(6500), 25 - 25 * kSigmoidAtZero + 3, 1e-3f);  // about 27.94
    EXPECT_NEAR(dropHeight(10000), 0.0f, 1e-3f) << "landed, the bounces died out";

    const Vec3 pathEye = {4, 50, -7};
    const Vec3 flight = {-3, 8, 12};
    // Over the drop: the eye rides the drop height, the target sways about
    // the flight point 3 below it.
    const CameraShot dropping = openingShot(8000, pathEye, flight);
    const float h = dropHeight(8000);
    EXPECT_FLOAT_EQ(dropping.eye.x, 4.0f);
    EXPECT_FLOAT_EQ(dropping.eye.y, h + 6);
    EXPECT_NEAR(dropping.centre.x, -3 - 2.87677f, 1e-4f);  // 3 sin(8000 / 1600)
    EXPECT_NEAR(dropping.centre.y, h + 3 + 0.24662f, 1e-4f);
    EXPECT_NEAR(dropping.centre.z, 12 + 2.97494f, 1e-4f);
    // Halfway through the hand-over (3700 ms from 10000) the heights are
    // halfway to the paths'.
    const CameraShot handing = openingShot(11850, pathEye, flight);
    EXPECT_NEAR(handing.eye.y, (dropHeight(11850) + 6 + 50) / 2, 1e-3f);
    EXPECT_NEAR(handing.centre.y, (dropHeight(11850) + 3 + 8) / 2, 1e-3f);
    EXPECT_FLOAT_EQ(handing.centre.x, -3.0f) << "no sway after the drop";
    // From 13700 the eye is on its path.
    const CameraShot flying = openingShot(13700, pathEye, flight);
    EXPECT_FLOAT_EQ(flying.eye.y, 50.0f);
    EXPECT_FLOAT_EQ(flying.centre.y, 8.0f);
    EXPECT_EQ(flying.up.y, 1.0f);

    EXPECT_EQ(flightParameter(10000), 0.0f);
    EXPECT_EQ(flightParameter(13700), 0.0f);
    EXPECT_FLOAT_EQ(flightParameter(15200), 1.0f);
    EXPECT_EQ(flightParameter(40000), 14.0f);
    at(9000);  // 500 ms after the first B event
    EXPECT_FLOAT_EQ(cameraPathParameter(9000), 0.0625f);
}

TEST(OpeningFlight, VeilsDipAndTheClosingGlowShowOnlyInTheirWindows) {
    EXPECT_FALSE(veilAlpha(13699));
    EXPECT_EQ(veilAlpha(13700), 1.0f);
    EXPECT_NEAR(*veilAlpha(14350), 0.5f, 1e-5f);
    EXPECT_FALSE(veilAlpha(15000));

    EXPECT_FALSE(fieldDipAlpha(6500)) << "not yet at 6500 itself";
    EXPECT_NEAR(*fieldDipAlpha(6500.5f), 1.0f, 1e-3f);
    EXPECT_NEAR(*fieldDipAlpha(6750), 0.5f, 1e-5f);
    EXPECT_FALSE(fieldDipAlpha(7000));

    EXPECT_FALSE(endGlowAlpha(27999, 29000));
    EXPECT_EQ(endGlowAlpha(28000, 29000), 0.0f);
    EXPECT_FLOAT_EQ(*endGlowAlpha(28500, 29000), 0.5f);
    EXPECT_EQ(endGlowAlpha(29000, 29000), 1.0f);
}

TEST(OpeningFlight, GradientStripScrollsAwayAndTheLogoFlickersInAndOut) {
    EXPECT_NEAR(*gradientStripOffset(0), kSigmoidAtZero, 1e-6f);
    EXPECT_TRUE(gradientStripOffset(6100));
    EXPECT_FALSE(gradientStripOffset(6200)) << "gone at about 6155 ms";

    // The threshold starts at 2 and falls by 1 per 600 ms: never shown
    // before 600 ms, always between about 1800 and 4500 ms, never from 5000.
    for (float t = 0; t < 600; t += 7) EXPECT_FALSE(logoShown(t)) << t;
    for (float t = 1850; t <= 4500; t += 7) EXPECT_TRUE(logoShown(t)) << t;
    for (float t = 5000; t < 7000; t += 7) EXPECT_FALSE(logoShown(t)) << t;
    int flickers = 0;
    for (float t = 600; t < 1800; t += 7) flickers += logoShown(t) ? 1 : 0;
    EXPECT_GT(flickers, 10);
    EXPECT_LT(flickers, 160);
}

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

TEST(Clouds, SheetsSinkFromTheirIndexAndTheEndTurnsWhite) {
    for (int i : {0, 1, 99}) EXPECT_EQ(cloudSheetHeight(i, 0), static_cast<float>(i));
    const float length = sceneEnd(2) - sceneStart(2);  // 7300 ms
    EXPECT_NEAR(cloudSheetHeight(0, length), -146.0f, 1e-3f);
    EXPECT_NEAR(cloudSheetHeight(99, length), -47.0f, 1e-3f);

    EXPECT_EQ(cloudClearGrey(sceneEnd(2) - 2000, sceneEnd(2)), 0.0f);
    EXPECT_FLOAT_EQ(cloudClearGrey(sceneEnd(2) - 1000, sceneEnd(2)), 0.5f);
    EXPECT_NEAR(cloudClearGrey(58299, sceneEnd(2)), 0.9995f, 1e-5f);
    EXPECT_FALSE(closingAlpha(kCloudsFadeOut, sceneEnd(2) - 1000, sceneEnd(2))) << "the white overlay starts after d = 1000";
    EXPECT_NEAR(*closingAlpha(kCloudsFadeOut, 58299, sceneEnd(2)), 0.999f, 1e-5f);
    EXPECT_EQ(kCloudsFadeOut.colour.g, 1.0f);
}

TEST(CloudTunnel, WarpFromTheThirdShotWithTheBassAndFadesAtBothEnds) {
    EXPECT_FALSE(tunnelWarped(1));
    EXPECT_TRUE(tunnelWarped(2));
    EXPECT_EQ(tunnelWarpAmount(20000, 0), 0) << "no bass, no warp";
    EXPECT_EQ(tunnelWarpAmount(13000, 1), 20);
    EXPECT_EQ(tunnelWarpAmount(21000, 1), 30);
    at(65300 + 7500);
    EXPECT_FLOAT_EQ(tunnelShotProgress(65300 + 7500), 1.0f);

    EXPECT_EQ(openingAlpha(kTunnelFadeIn, sceneStart(3), sceneStart(3)), 1.0f);
    EXPECT_FLOAT_EQ(*openingAlpha(kTunnelFadeIn, sceneStart(3) + 250, sceneStart(3)), 0.5f);
    EXPECT_FALSE(openingAlpha(kTunnelFadeIn, sceneStart(3) + 500, sceneStart(3)));
    EXPECT_FLOAT_EQ(*closingAlpha(kTunnelFadeOut, sceneEnd(3) - 150, sceneEnd(3)), 0.5f);
    // Drawn from 500 ms before the end, but below 0 (nothing) until 300.
    EXPECT_LT(*closingAlpha(kTunnelFadeOut, sceneEnd(3) - 400, sceneEnd(3)), 0.0f);
    EXPECT_FALSE(closingAlpha(kTunnelFadeOut, sceneEnd(3) - 500, sceneEnd(3)));
}

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
