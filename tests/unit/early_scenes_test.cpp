// The pure parts of the first scenes: the tile field's heights and shades,
// the symbols' turn and shake, the cloud tunnel's camera moves.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/crt_random.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene1.h"
#include "scenes/scene3.h"
#include "scenes/tile_field.h"
#include "support/music_time.h"

namespace {

// A time inside scene 0 past 5000 ms with every pulse at rest.
float quietTimeInScene0() {
    for (float t = 9000.0f; t < 12000.0f; t += 10.0f) {
        at(t);
        if (beatPulse200() == 0.0f && trackAPulse500() == 0.0f) return t;
    }
    ADD_FAILURE() << "no quiet time found";
    return 9000.0f;
}

class TileField : public ::testing::Test {
protected:
    void SetUp() override {
        setCrtRandState(1);
        fillTileHeights();
    }
    void TearDown() override {
        setCrtRandState(1);
        fillTileHeights();
    }
};

TEST_F(TileField, HeightsAreTheFirstDrawsOfTheRuntimeGenerator) {
    // The classic sequence from state 1 starts 41, 18467, 6334.
    EXPECT_FLOAT_EQ(tileHeights[0], 0.01025f);
    EXPECT_FLOAT_EQ(tileHeights[1], 8467 * 0.00025f);
    EXPECT_FLOAT_EQ(tileHeights[2], 6334 * 0.00025f);
    for (float h : tileHeights) {
        EXPECT_GE(h, 0.0f);
        EXPECT_LE(h, 2.49975f);
    }
}

TEST_F(TileField, OutsideTheGridThereIsNoTileAndNoColour) {
    at(9000.0f);
    EXPECT_EQ(tileHeight(-1, 0), 0.0f);
    EXPECT_EQ(tileHeight(30, 5), 0.0f);
    EXPECT_EQ(tileHeight(0, 30), 0.0f);
    const TileShadeColour outside = tileShadeColour(30, 0);
    EXPECT_FALSE(outside.inside);
    EXPECT_FLOAT_EQ(outside.brightness, 1.2f);
}

TEST_F(TileField, AtRestAHeightIsTheTableEntryPlusTheRollingBase) {
    const float t = quietTimeInScene0();
    for (int z : {0, 7, 29}) {
        for (int x : {0, 13, 29}) {
            const float base = (0.5f * std::cos(0.002f * t + 0.2f * z) + 1.0f) * 0.5f;
            EXPECT_NEAR(tileHeight(x, z), tileHeights[x + 30 * z] + base, 1e-5f) << x << ", " << z;
        }
    }
}

TEST_F(TileField, WaveIsZeroOrAPositiveSpikeOfAtMostHalf) {
    at(20000.0f);
    int spikes = 0;
    for (int z = 0; z < 30; ++z) {
        for (int x = 0; x < 30; ++x) {
            const float w = tileWave(static_cast<float>(x), static_cast<float>(z));
            EXPECT_GE(w, 0.0f);
            EXPECT_LE(w, 0.5f);
            if (w > 0.0f) ++spikes;
        }
    }
    EXPECT_GT(spikes, 0);
    EXPECT_LT(spikes, 200);
}

TEST_F(TileField, HigherNeighboursDarkenButTheLastColumnIsNeverCompared) {
    const float t = quietTimeInScene0();
    for (float& h : tileHeights) h = 0.0f;
    // Tile (28, 5) stands above rows 4 and 6 whatever their rolling base
    // (bases differ by at most 0.5); its right-hand neighbour towers over it.
    tileHeights[28 + 30 * 5] = 1.0f;
    tileHeights[29 + 30 * 5] = 3.0f;
    const float m = std::max(0.0f, (t - 5000.0f) * 0.0001f);
    const TileShadeColour lone = tileShadeColour(28, 5);
    EXPECT_TRUE(lone.inside);
    EXPECT_NEAR(lone.brightness, 0.6f + m * tileWave(28, 5), 1e-5f) << "column 29 is not a neighbour of 28";

    tileHeights[27 + 30 * 5] = 3.0f;
    const TileShadeColour shaded = tileShadeColour(28, 5);
    EXPECT_NEAR(shaded.brightness, 0.5f * 0.9f + m * tileWave(28, 5), 1e-5f) << "a step of 2 darkens by at most 0.3";

    // Scene 0 is blue-green: red a quarter and green a half of o, blue half of r.
    const float l = 0.85f + 0.1f * std::sin(3.3f * 5 + 5.2f * 28 + 0.0002f * t);
    EXPECT_NEAR(shaded.rgb[0], 0.25f * l * shaded.brightness, 1e-5f);
    EXPECT_NEAR(shaded.rgb[1], 0.5f * l * shaded.brightness, 1e-5f);
    EXPECT_NEAR(shaded.rgb[2], 0.5f * shaded.brightness, 1e-5f);
}

TEST_F(TileField, LaterScenesShadeWarmWithAFixedSpikeWeight) {
    at(100000.0f);
    ASSERT_EQ(sceneIndex, 5);
    const TileShadeColour shade = tileShadeColour(3, 4);
    EXPECT_GT(shade.rgb[0], shade.rgb[1]);
    EXPECT_GT(shade.rgb[1], shade.rgb[2]);
    EXPECT_NEAR(shade.rgb[0], 0.8f * shade.brightness, 1e-6f);
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
