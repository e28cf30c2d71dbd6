// Scene 0: the opening flight over the tile field: its cues, camera and overlays.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene0.h"
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

}  // namespace
