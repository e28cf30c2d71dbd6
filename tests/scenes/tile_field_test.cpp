// The tile field two scenes fly over: its heights, the first draws of the
// C-library generator; its waves and shades; and its faces as drawTileField
// draws them: which sides a tile shows, how far they reach down, the normals
// and shades of the face tables, the far border where the neighbour is
// outside the grid, the 15 x 15 field of the ribbons, and the opening's shade
// before the spikes count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "assets/crt_random.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/tile_field.h"
#include "support/music_time.h"

namespace {

constexpr float n = 0.57735026f;

float& table(int x, int z) { return tileHeights[x + kTileGrid * z]; }

// A flat table at a time without pulses, so heights differ only by the
// rows' rolling base (at most 0.5) and what a test sets.
class TileFaceTables : public ::testing::Test {
protected:
    void SetUp() override {
        for (float t = 9000; t < 12000; t += 10) {
            at(t);
            if (beatPulse200() == 0 && trackAPulse500() == 0) break;
        }
        ASSERT_EQ(trackAPulse500(), 0.0f);
        std::fill(std::begin(tileHeights), std::end(tileHeights), 0.0f);
    }
    void TearDown() override {
        setCrtRandState(1);
        fillTileHeights();
    }
};

TEST_F(TileFaceTables, ATileAboveItsNeighboursShowsEverySideDownToTheirTopsOrItsFoot) {
    table(5, 5) = 2;
    const TileFaces faces = tileFaces(5, 5);
    ASSERT_EQ(faces.count, 5);
    const float h = faces.height;
    EXPECT_EQ(h, tileHeight(5, 5));
    for (const TileVertex& v : faces.quads[0]) EXPECT_EQ(v.position.y, 0.0f) << "the top";
    // In drawing order: +z, -z, -x, +x.
    EXPECT_EQ(faces.quads[1][0].position.z, 1.0f);
    EXPECT_EQ(faces.quads[2][0].position.z, -1.0f);
    EXPECT_EQ(faces.quads[3][0].position.x, -1.0f);
    EXPECT_EQ(faces.quads[4][0].position.x, 1.0f);
    EXPECT_FLOAT_EQ(faces.quads[1][2].position.y, -(h - tileHeight(5, 6))) << "+z down to the neighbour's top";
    EXPECT_FLOAT_EQ(faces.quads[4][3].position.y, -(h - tileHeight(6, 5))) << "+x down to the neighbour's top";
    EXPECT_EQ(faces.quads[2][2].position.y, -h) << "-z down to the foot";
    EXPECT_EQ(faces.quads[3][3].position.y, -h) << "-x down to the foot";
}

TEST_F(TileFaceTables, ATileBelowItsNeighboursShowsOnlyItsTop) {
    table(4, 5) = table(6, 5) = table(5, 4) = table(5, 6) = 2;
    EXPECT_EQ(tileFaces(5, 5).count, 1);
    // A side shows where the tile stands at least as high: a level
    // neighbour in the same row gets one of no height.
    table(5, 5) = 2;
    table(5, 4) = table(5, 6) = 3;
    const TileFaces level = tileFaces(5, 5);
    ASSERT_EQ(level.count, 3) << "the -x and +x sides, not those towards the higher rows";
    EXPECT_EQ(level.quads[1][0].position.x, -1.0f);
    EXPECT_EQ(level.quads[2][3].position.y, 0.0f) << "+x down to a top just as high";
}

TEST_F(TileFaceTables, NormalsAndShadesAreTheTables) {
    table(5, 5) = 2;
    const TileFaces f = tileFaces(5, 5);
    // The top's corners lean outwards.
    EXPECT_EQ(f.quads[0][0].normal.x, n);
    EXPECT_EQ(f.quads[0][0].normal.z, -n);
    EXPECT_EQ(f.quads[0][1].normal.x, -n);
    for (const TileVertex& v : f.quads[0]) {
        EXPECT_EQ(v.normal.y, n);
        EXPECT_EQ(v.shadeX, 5);
        EXPECT_EQ(v.shadeZ, 5);
    }
    // -z: the x components are the opposite corner's.
    EXPECT_EQ(f.quads[2][0].position.x, 1.0f);
    EXPECT_EQ(f.quads[2][0].normal.x, -n);
    EXPECT_EQ(f.quads[2][1].normal.x, n);
    EXPECT_EQ(f.quads[2][2].normal.y, -n);
    EXPECT_EQ(f.quads[2][2].shadeZ, 4) << "its foot takes the -z neighbour's shade";
    // -x: every vertex the tile's own shade.
    for (const TileVertex& v : f.quads[3]) {
        EXPECT_EQ(v.shadeX, 5);
        EXPECT_EQ(v.shadeZ, 5);
        EXPECT_EQ(v.normal.x, -n);
    }
    // +z and +x: the lower edge takes the neighbour's shade.
    EXPECT_EQ(f.quads[1][2].shadeZ, 6);
    EXPECT_EQ(f.quads[1][0].shadeZ, 5);
    EXPECT_EQ(f.quads[4][2].shadeX, 6);
    EXPECT_EQ(f.quads[4][2].normal.z, -n);
}

TEST_F(TileFaceTables, AtTheFarBorderTheOutsideNeighbourIsAtZeroAndLendsNoShade) {
    table(29, 29) = 1;
    const TileFaces f = tileFaces(29, 29);
    const float h = f.height;
    ASSERT_GT(h, 0.0f);
    // +z and +x drop by the full height to the outside neighbour at 0.
    EXPECT_EQ(f.quads[1][2].position.y, -h);
    EXPECT_EQ(f.quads[1][2].shadeZ, 30);
    EXPECT_FALSE(tileShadeColour(29, 30).inside) << "so those vertices keep the colour before them";
    EXPECT_EQ(f.quads[f.count - 1][3].position.y, -h);
    EXPECT_EQ(f.quads[f.count - 1][3].shadeX, 30);
}

TEST_F(TileFaceTables, TheRibbonsFifteenSquareFieldSpansMinus14To14AndStillComparesColumn15) {
    EXPECT_EQ(tileFieldPosition(0, 15), -14.0f);
    EXPECT_EQ(tileFieldPosition(7, 15), 0.0f);
    EXPECT_EQ(tileFieldPosition(14, 15), 14.0f);
    EXPECT_EQ(tileFieldPosition(0, 30), -30.0f);
    EXPECT_EQ(tileFieldPosition(29, 30), 28.0f);

    table(14, 5) = 1;
    EXPECT_EQ(tileFaces(14, 5).count, 5);
    table(15, 5) = 3;  // not drawn in a 15 x 15 field, but in the table
    const TileFaces hidden = tileFaces(14, 5);
    EXPECT_EQ(hidden.count, 4);
    EXPECT_EQ(hidden.quads[3][0].position.x, -1.0f) << "the +x side is the one gone";
}

TEST_F(TileFaceTables, BeforeFiveSecondsTheOpeningShadeIgnoresTheSpikes) {
    at(3000);
    ASSERT_EQ(sceneIndex, 0);
    // A tile on a spike's crest, standing alone: its shade is 0.6 exactly,
    // as it would be without the spike.
    int x = -1, z = -1;
    for (int i = 0; i < kTileCount && x < 0; ++i)
        if (tileWave(static_cast<float>(i % kTileGrid), static_cast<float>(i / kTileGrid)) > 0.1f) {
            x = i % kTileGrid;
            z = i / kTileGrid;
        }
    ASSERT_GE(x, 0);
    table(x, z) = 3;
    EXPECT_FLOAT_EQ(tileShadeColour(x, z).brightness, 0.6f);
    // From 5000 ms a spike brightens by (t - 5000) / 10000 times its height.
    at(9000);
    const float wave = tileWave(static_cast<float>(x), static_cast<float>(z));
    EXPECT_NEAR(tileShadeColour(x, z).brightness, 0.6f + 0.4f * wave, 1e-5f);
}

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

}  // namespace
