// Scene 3: the models in the cloud tunnel: the camera moves, the warp and the fades.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/crt_random.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene3.h"
#include "support/music_time.h"

namespace {

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

TEST(CloudTunnelShots, EachMoveStartsWhereItsTableSays) {
    const CameraShot first = scene3Shot(0, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(first.eye.z, 50.0f);
    EXPECT_FLOAT_EQ(first.centre.z, 100.0f);
    EXPECT_NEAR(first.up.y, std::cos(12.0f * 0.00247f), 1e-3f);

    EXPECT_FLOAT_EQ(scene3Shot(1, 0.0f, 0.0f).eye.z, -400.0f);
    EXPECT_FLOAT_EQ(scene3Shot(1, 0.0f, 1.0f).eye.x, 2.0f) << "the beat nudges the eye";
    EXPECT_FLOAT_EQ(scene3Shot(2, 1.0f, 0.0f).eye.z, -400.0f);

    // The last two circle the z axis at 50 with z up.
    for (int k : {3, 4}) {
        const CameraShot s = scene3Shot(k, 0.6f, 0.0f);
        EXPECT_NEAR(std::hypot(s.eye.x, s.eye.y), 50.0f, 1e-3f);
        EXPECT_EQ(s.up.z, 1.0f);
    }
    EXPECT_FLOAT_EQ(scene3Shot(4, 1.0f, 0.0f).centre.y, 400.0f);
}

TEST(CloudTunnelShots, EachMoveEndsWhereTheNextTakesOverAndLaterShotsRepeatTheFifth) {
    const float sigmoidAtOne = 0.99752738f;
    // In from 50 to -400 rolling 12 rad, then back out to 0.
    EXPECT_FLOAT_EQ(scene3Shot(0, 1.0f, 0.0f).eye.z, -400.0f);
    const Vec3 rolled = scene3Shot(0, 1.0f, 0.0f).up;
    EXPECT_NEAR(std::atan2(rolled.x, rolled.y), std::remainder(12 * sigmoidAtOne, 2 * M_PI), 1e-4f);
    EXPECT_FLOAT_EQ(scene3Shot(1, 1.0f, 0.0f).eye.z, 0.0f);
    EXPECT_NEAR(scene3Shot(1, 1.0f, 0.0f).centre.x, 10 * sigmoidAtOne, 1e-4f);
    // The third circles the axis at 20, looking far down the tunnel.
    for (float f : {0.0f, 0.3f, 1.0f}) {
        const CameraShot third = scene3Shot(2, f, 0.0f);
        EXPECT_NEAR(std::hypot(third.eye.x, third.eye.y), 20.0f, 1e-4f) << f;
        EXPECT_EQ(third.centre.z, -800.0f);
    }
    EXPECT_NEAR(scene3Shot(3, 1.0f, 0.0f).eye.z, 200 * sigmoidAtOne - 200, 1e-3f);
    const CameraShot fifth = scene3Shot(4, 0.7f, 0.5f), later = scene3Shot(9, 0.7f, 0.5f);
    EXPECT_EQ(later.eye.z, fifth.eye.z);
    EXPECT_EQ(later.centre.y, fifth.centre.y);
}

}  // namespace
