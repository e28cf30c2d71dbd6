#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "assets/crt_random.h"
#include "assets/draw/particles.h"

namespace {

int liveCount(const ParticleSystem& ps) {
    return static_cast<int>(std::count_if(ps.alive.begin(), ps.alive.end(), [](int a) { return a > 0; }));
}

class ParticleTest : public ::testing::Test {
protected:
    void SetUp() override { setCrtRandState(1); }
    void TearDown() override { setCrtRandState(1); }
    ParticleSystem ps;
};

TEST_F(ParticleTest, EmitRevivesDeadSlotsUpToCount) {
    EXPECT_FLOAT_EQ(ps.quadSize, 0.1f);
    EXPECT_EQ(ps.trailCount, 0);
    ps.emit(0, 0, 1, 1, 1);
    EXPECT_EQ(liveCount(ps), 0);
    ps.emit(3, 3, 1, 1, 1);
    EXPECT_EQ(liveCount(ps), 3);
    ps.emit(0, 10000, 2000, 400, 2000);
    EXPECT_EQ(liveCount(ps), ParticleSystem::kSlots);
    EXPECT_EQ(ps.types[2], 3);
    EXPECT_EQ(ps.types[3], 0);
    EXPECT_FLOAT_EQ(ps.spawnBox[4999].y, 400);
}

TEST_F(ParticleTest, SpawnDrawsComeInTheListedOrder) {
    ps.emit(0, 1, 100, 10, 1000);
    // 41, 18467, 6334 for x, y, z; 26500 for the velocity; 19169 for life.
    EXPECT_FLOAT_EQ(ps.positions[0].x, static_cast<float>((41 * 0.0002 - 1) * 100));
    EXPECT_FLOAT_EQ(ps.positions[0].y, static_cast<float>((8467 * 0.0002 - 1) * 10));
    EXPECT_FLOAT_EQ(ps.positions[0].z, static_cast<float>((6334 * 0.0002 - 1) * 1000));
    EXPECT_FLOAT_EQ(ps.velocities[0].y, static_cast<float>((6500 * 0.0002 + 1) * 0.1));
    EXPECT_FLOAT_EQ(ps.life[0], 19169 % 3000 + 7000);

    setCrtRandState(1);
    ps.respawn(1, 5, 20, 10, 180);
    // x from 26500, z from 19169, y from 15724, life from 11478.
    EXPECT_FLOAT_EQ(ps.velocities[1].x, static_cast<float>((26500 % 500 - 250) * 0.4));
    EXPECT_FLOAT_EQ(ps.velocities[1].z, static_cast<float>((19169 % 500 - 250) * 0.4));
    EXPECT_FLOAT_EQ(ps.velocities[1].y, static_cast<float>((15724 % 500) * 0.8));
    EXPECT_FLOAT_EQ(ps.life[1], static_cast<float>((11478 % 700 + 200) * 0.001));
}

TEST_F(ParticleTest, TypesKeepTheirRanges) {
    ps.positions[7] = {1, 2, 3};
    ps.velocities[7] = {4, 5, 6};
    ps.life[7] = 9;
    ps.respawn(7, 1, 100, 100, 100);
    EXPECT_EQ(ps.positions[7].x, 1);
    EXPECT_EQ(ps.velocities[7].z, 6);
    EXPECT_EQ(ps.life[7], 9);
    EXPECT_EQ(crtRand(), 41);  // no draws were made

    for (int i = 0; i < 200; ++i) {
        for (int type : {0, 2}) {
            ps.respawn(0, type, 10, 10, 10);
            EXPECT_GE(ps.velocities[0].y, 0.1f);
            EXPECT_LT(ps.velocities[0].y, 0.3f);
            EXPECT_GE(ps.life[0], 7000);
            EXPECT_LT(ps.life[0], 10000);
            EXPECT_GE(ps.positions[0].x, -10);
            EXPECT_LT(ps.positions[0].x, 10);
        }
        ps.respawn(0, 5, 10, 10, 10);
        EXPECT_GE(ps.life[0], 0.2f);
        EXPECT_LE(ps.life[0], 0.8995f);
        EXPECT_GE(ps.velocities[0].y, 0);
    }
}

TEST_F(ParticleTest, ExpiredParticlesStayDeadUntilEmittedAgain) {
    ps.emit(5, 70, 20, 10, 180);
    EXPECT_EQ(liveCount(ps), 70);
    const Vec3 before = ps.positions[0];
    const Vec3 v = ps.velocities[0];
    ps.update(0.1f);
    EXPECT_FLOAT_EQ(ps.positions[0].y, before.y + v.y * 0.1f);
    EXPECT_EQ(liveCount(ps), 70);
    ps.update(1.0f);
    EXPECT_EQ(liveCount(ps), 0);
    ps.emit(5, 70, 20, 10, 180);
    EXPECT_EQ(liveCount(ps), 70);
}

TEST_F(ParticleTest, SortTrailOrdersByDepthAndMovesPositionsAlong) {
    ps.trailCount = 800;
    setCrtRandState(99);
    for (int i = 0; i < ps.trailCount; ++i) {
        ps.life[i] = static_cast<float>(crtRand() % 500) - 400.0f;
        ps.positions[i] = {ps.life[i], static_cast<float>(i), 0};
    }
    ps.life[900] = -10000;  // outside the trail: untouched
    ps.sortTrail();
    for (int i = 1; i < ps.trailCount; ++i) EXPECT_LE(ps.life[i - 1], ps.life[i]);
    for (int i = 0; i < ps.trailCount; ++i) EXPECT_EQ(ps.positions[i].x, ps.life[i]);
    EXPECT_EQ(ps.life[900], -10000);
    ps.resetTrail();
    EXPECT_EQ(ps.trailCount, 0);
}

// The trail's sort is the insertion sort by depth, every pass down to 1:
// equal depths keep their order, so points at one depth are drawn as built.
// Against that sort written out, on a trail built from its near end (the
// reverse of the order sought), on one with many equal depths, and on one
// with a NaN among them.
TEST_F(ParticleTest, SortTrailIsTheInsertionSortOnEveryKindOfTrail) {
    auto insertionSorted = [](std::vector<float> depth, std::vector<float> tag) {
        for (size_t i = 1; i < depth.size(); ++i)
            for (size_t j = i; j >= 1; --j)
                if (depth[j] < depth[j - 1]) {
                    std::swap(depth[j], depth[j - 1]);
                    std::swap(tag[j], tag[j - 1]);
                }
        return std::make_pair(depth, tag);
    };
    setCrtRandState(7);
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        ps.trailCount = 801;
        std::vector<float> depth(801), tag(801);
        for (int i = 0; i < 801; ++i) {
            depth[i] = kind == 0 ? -0.25f * static_cast<float>(i) : static_cast<float>(crtRand() % 20) - 10.0f;
            if (kind == 2 && i == 400) depth[i] = NAN;
            tag[i] = static_cast<float>(i);
            ps.life[i] = depth[i];
            ps.positions[i] = {tag[i], 0, 0};
        }
        const auto [sortedDepth, sortedTag] = insertionSorted(depth, tag);
        ps.sortTrail();
        for (int i = 0; i < 801; ++i) {
            ASSERT_EQ(ps.positions[i].x, sortedTag[i]) << i;
            if (!std::isnan(sortedDepth[i])) {
                ASSERT_EQ(ps.life[i], sortedDepth[i]) << i;
            }
        }
    }
}

}  // namespace
