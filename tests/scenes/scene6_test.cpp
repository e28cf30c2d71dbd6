// Scene 6: the spline flowers and the ring field: growth, bloom, the rosettes'
// draws and the camera.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene6.h"
#include "scenes/scene_entries.h"
#include "support/music_time.h"
#include "support/temp_dir.h"

namespace {

constexpr float kSigmoidAtOne = 0.99752738f;  // sigmoidStep(1)

TEST(Flowers, GrowFor22SecondsThenHold) {
    EXPECT_EQ(flowerGrowth(0), 0.0f);
    EXPECT_NEAR(flowerGrowth(8375), 2.5f, 1e-5f) << "where the side flowers start";
    EXPECT_NEAR(flowerGrowth(22000), 6.567f, 1e-3f);
    EXPECT_EQ(flowerGrowth(29000), flowerGrowth(22000));
}

TEST(Flowers, CameraOrbitsRisesAndSwingsOverBlendingTowardsTheDifference) {
    const Vec3 origin = {0, 0, 0};
    // At the start, no pulse: the eye on its first orbit, 40 up and 40 out,
    // at angle now / 2000; the target the growing tip.
    const float now = sceneStart(6) + 0.5f;
    const Vec3 tip = {1, 2, 3};
    const CameraShot first = flowerShot(now, 0.5f, tip, {9, 9, 9}, 0);
    EXPECT_FLOAT_EQ(first.eye.y, 40.0f);
    EXPECT_NEAR(std::hypot(first.eye.x, first.eye.z), 40.0f, 1e-3f);
    EXPECT_NEAR(std::remainder(std::atan2(first.eye.x, first.eye.z) - now / 2000, 2 * M_PI), 0.0, 1e-3);
    EXPECT_EQ(first.centre.x, 1.0f);
    EXPECT_EQ(first.up.y, 1.0f);

    // 2000 ms into the rise the blend is nearly complete, but towards the
    // difference of the orbits: height 40 (1 - s) + 60 s, not 100.
    const CameraShot risen = flowerShot(sceneStart(6) + 9500, 9500, origin, origin, 0);
    EXPECT_NEAR(risen.eye.y, 40 * (1 - kSigmoidAtOne) + 60 * kSigmoidAtOne, 1e-3f);
    // The swing over from 23000 ms: target to (3, 2, 0) the same way, up
    // vector (s, 1 - 2s, 0).
    const CameraShot over = flowerShot(sceneStart(6) + 27000, 27000, origin, origin, 0);
    EXPECT_NEAR(over.up.x, kSigmoidAtOne, 1e-5f);
    EXPECT_NEAR(over.up.y, 1 - 2 * kSigmoidAtOne, 1e-5f);
    EXPECT_NEAR(over.centre.x, 3 * kSigmoidAtOne, 1e-4f);
    EXPECT_NEAR(over.centre.y, 2 * kSigmoidAtOne, 1e-4f);

    // The B pulse shakes the eye, the same amount in x and z.
    const CameraShot shaken = flowerShot(now, 0.5f, tip, tip, 0.5f);
    EXPECT_NEAR(shaken.eye.x - first.eye.x, std::sin(now), 1e-4f);
    EXPECT_NEAR(shaken.eye.z - first.eye.z, std::sin(now), 1e-4f);
    EXPECT_NEAR(shaken.eye.y - first.eye.y, std::cos((5.0f / 6.0f) * now), 1e-4f);
}

TEST(Flowers, RingsBounceInOneAfterAnotherAndHold) {
    EXPECT_FALSE(ringHalfSize(0, 500));
    EXPECT_FALSE(ringHalfSize(7, 1900));
    EXPECT_TRUE(ringHalfSize(7, 1901));
    // Ring 0's own half-size: 10 cos(0.07392) cos(13.2), held from 1500 ms.
    EXPECT_NEAR(*ringHalfSize(0, 1500), 8.03683f, 1e-4f);
    EXPECT_NEAR(*ringHalfSize(0, 22000), 8.03683f, 1e-4f);
    EXPECT_NEAR(*ringHalfSize(0, 500.5f), 0.0f, 0.02f) << "from nothing";

    EXPECT_EQ(centreRingHalfSize(0), 0.0f);
    EXPECT_EQ(centreRingHalfSize(2000), 10.0f);
    EXPECT_FALSE(innerRingHalfSize(500));
    EXPECT_EQ(innerRingHalfSize(2200), 5.0f);

    EXPECT_EQ(openingAlpha(kFlowersFadeIn, sceneStart(6), sceneStart(6)), 1.0f);
    EXPECT_FLOAT_EQ(*closingAlpha(kFlowersFadeOut, sceneEnd(6) - 500, sceneEnd(6)), 0.5f);
    EXPECT_EQ(kFlowersFadeOut.colour.r, 0.0f) << "out to black";
}

TEST(Flowers, BloomEasesOutOverTheLastSevenSeconds) {
    at(142000);
    EXPECT_EQ(bloomFactor(), 0.0f);
    at(145500);
    EXPECT_NEAR(bloomFactor(), 0.9375f, 1e-5f);
    at(149000);
    EXPECT_NEAR(bloomFactor(), 1.0f, 1e-6f);
    at(160000);
    EXPECT_NEAR(bloomFactor(), 1.0f, 1e-6f);
}

TEST(Flowers, RosettesEveryTwentiethOfAUnitAndSideFlowersOnlyPast2_5) {
    EXPECT_EQ(rosetteCount(0), 0);
    EXPECT_EQ(rosetteCount(0.01f), 1);
    EXPECT_EQ(rosetteCount(1.0f), 20);
    // 0.05 summed fifty times in single precision falls just short of 2.5.
    EXPECT_EQ(rosetteCount(2.5f), 51);
    // Full growth: flower 0 to about 6.567 and the two others to 4.067.
    const float full = 22000 * 0.00029850745f;
    EXPECT_EQ(rosetteCount(full), 132 + 2 * 82);
}

// The rosettes' draws are made once at start-up: a frame, updated or not,
// leaves the program's generator where it was, so a shot that steps frames
// without drawing them and a run that draws them agree.
TEST(Flowers, AFrameLeavesTheProgramsGeneratorAlone) {
    at(133000);
    seedRandom(99);
    const uint32_t expected = nextRandom();
    seedRandom(99);
    updateScene6();
    EXPECT_EQ(nextRandom(), expected);
}

}  // namespace
