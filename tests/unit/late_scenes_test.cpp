// The pure parts of the later scenes: the ribbon paths and their layout, the
// flowers' burst and rosette count, the city's drop, the camera tables of
// the ring ship and the piece, the credits' wobble; and the model files the
// scenes read, loaded with the program's own readers.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "ase/late_scene_models.h"
#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene10.h"
#include "scenes/scene5.h"
#include "scenes/scene6.h"
#include "scenes/scene7.h"
#include "scenes/scene8.h"
#include "scenes/scene9.h"
#include "scenes/scenes_late.h"
#include "support/music_time.h"
#include "support/temp_dir.h"

namespace {

void expectNear(Vec3 a, Vec3 b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

float distance(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

RibbonPath pathOf(std::vector<int32_t> moves) {
    RibbonPath p;
    p.moves = moves;
    p.moveCount = static_cast<int32_t>(moves.size());
    p.direction = {1, 0, 0};
    p.start = {0, 0, 0};
    return p;
}

TEST(RibbonPath, StartsAtItsStartAndGoesStraightAlongItsHeading) {
    const RibbonPath p = pathOf({0, 0, 0});
    expectNear(p.pointAt(-0.5f), {0, 0, 0});
    expectNear(p.pointAt(0), {0, 0, 0});
    expectNear(p.pointAt(0.5f), {0.5f, 0, 0});
    expectNear(p.pointAt(2.25f), {2.25f, 0, 0});
}

TEST(RibbonPath, QuarterTurnsEndOneAcrossWithTheNewHeading) {
    const RibbonPath left = pathOf({2, 0});
    expectNear(left.pointAt(0.5f), {0.70711f, 0, 0.29289f});
    expectNear(left.pointAt(1), {1, 0, 1});
    expectNear(left.pointAt(1.5f), {1, 0, 1.5f});  // now heading +z

    const RibbonPath right = pathOf({1, 0});
    expectNear(right.pointAt(1), {1, 0, -1});
    expectNear(right.pointAt(1.5f), {1, 0, -1.5f});  // now heading -z
    expectNear(right.pointAt(0.5f), {0.70711f, 0, -0.29289f});
}

TEST(RibbonPath, BeyondTheLastMoveCarriesStraightOnAlongTheFinalHeading) {
    const RibbonPath p = pathOf({0, 2, 0, 1, 2});
    expectNear(p.pointAt(5), {4, 0, 4});  // the final turn leaves it heading +z
    expectNear(p.pointAt(7.5f), {4, 0, 6.5f});
    expectNear(p.pointAt(24), {4, 0, 23});
}

TEST(RibbonLayout, FromSeed3244AsTheGeneratorDrawsIt) {
    initScene5();
    // The same draws made here by the generator's rule, in the same order.
    uint32_t seed = 3244;
    auto next = [&] { return seed = seed * 12931u + 12131u; };
    for (int i = 0; i < kRibbonCount; ++i) {
        const RibbonPath& r = ribbonPaths[i];
        const uint32_t a = next();
        Vec3 heading = {static_cast<float>(a % 3) - 1, 0, 0};
        if (a % 3 == 1) heading = {0, 0, (next() & 1) ? 1.0f : -1.0f};
        const uint32_t c = next() % 6;
        const uint32_t d = next() % 6;
        ASSERT_EQ(r.moveCount, 35);
        ASSERT_EQ(r.moves.size(), 35u);
        expectNear(r.direction, heading, 0);
        expectNear(r.start, {static_cast<float>(d) - 3, 22 - 0.8f * static_cast<float>(i), static_cast<float>(c) - 3});
        for (int j = 0; j < 35; ++j) {
            const int m = static_cast<int>(next() % 6) - 3;
            EXPECT_EQ(r.moves[j], j == 0 ? 0 : std::max(m, 0)) << "ribbon " << i << " move " << j;
        }
    }
    EXPECT_FLOAT_EQ(ribbonPaths[0].start.y, 22.0f);
    EXPECT_NEAR(ribbonPaths[12].start.y, 12.4f, 1e-5f);
}

TEST(RibbonLayout, EveryPathIsContinuousAndStaysInItsPlane) {
    initScene5();
    for (const RibbonPath& r : ribbonPaths) {
        for (int n = 1; n <= 40; ++n) {
            const float t = static_cast<float>(n);
            EXPECT_LT(distance(r.pointAt(t - 0.001f), r.pointAt(t)), 0.01f);
            // Half a move: 0.5 straight, a chord of 2 sin(pi / 8) on a turn.
            const float half = distance(r.pointAt(t - 0.5f), r.pointAt(t));
            EXPECT_TRUE(std::fabs(half - 0.5f) < 1e-4f || std::fabs(half - 0.76537f) < 1e-4f) << half;
            EXPECT_EQ(r.pointAt(t).y, r.start.y);
        }
    }
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

TEST(Flowers, UpdateMakesEveryRosettesDrawsLeavingTheGeneratorAsADrawnFrameWould) {
    at(133000);
    const int count = rosetteCount(13000 * 0.00029850745f);
    ASSERT_GT(count, 100);
    seedRandom(99);
    updateScene6();
    const uint32_t after = nextRandom();
    // The last rosette reseeds with its index and draws four values.
    seedRandom(static_cast<uint32_t>(count - 1));
    for (int k = 0; k < 4; ++k) nextRandom();
    EXPECT_EQ(after, nextRandom());
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

TEST(RingShip, ShotTableAtItsGivenPoints) {
    const CameraShot first = shipShot(0, 0, 0);
    expectNear(first.eye, {10, 15, 260});
    expectNear(first.centre, {0, 11, 300});
    expectNear(first.up, {0, 1, 0});

    expectNear(shipShot(3, 0.5f, 10000).eye, {45, 30, 70});
    // Sections 1, 2 and 4 to 6 keep the default up; 7 keeps the default target.
    expectNear(shipShot(7, 0.5f, 26000).centre, {0, 15, -50});
    expectNear(shipShot(5, 0.5f, 20000).up, {0, 1, 0});
    // Past the table only the defaults are left.
    const CameraShot beyond = shipShot(8, 0, 29300);
    expectNear(beyond.eye, {10, 15, 80 * std::sin(29300 * 0.00076923077f)});
    expectNear(beyond.centre, {0, 15, -50});
}

TEST(RingShip, SectionsEndWhereTheirMovesTakeThem) {
    auto roll = [](const CameraShot& s) { return std::atan2(s.up.x, s.up.y); };
    // The first flies past the ship to z -180, tilting 0.1 rad; the second
    // climbs 50 as it comes in to 0.
    EXPECT_FLOAT_EQ(shipShot(0, 1, 0).eye.z, -180.0f);
    EXPECT_NEAR(roll(shipShot(0, 1, 0)), 0.1f, 1e-6f);
    EXPECT_FLOAT_EQ(shipShot(1, 0, 0).eye.y, 5.0f);
    expectNear(shipShot(1, 1, 0).eye, {-25, 55, 0});
    // The fourth closes in from z 170 rolling the other way; the eighth
    // rolls a whole radian on its way to z -180.
    EXPECT_FLOAT_EQ(shipShot(3, 0, 0).eye.z, 170.0f);
    EXPECT_NEAR(roll(shipShot(3, 1, 0)), -0.2f, 1e-6f);
    EXPECT_NEAR(roll(shipShot(7, 1, 0)), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(shipShot(7, 1, 0).eye.z, -180.0f);
}

TEST(Piece, ShotTableAndTilt) {
    const CameraShot first = pieceShot(0, 0);
    EXPECT_NEAR(first.eye.y, 400 - 520 * 0.0024726f, 1e-2f);  // sigmoidStep(0)
    // Shot 3 orbits at radius 40 about the axis, looking at height 200.
    const CameraShot orbit = pieceShot(3, 1000);
    EXPECT_NEAR(std::hypot(orbit.eye.x, orbit.eye.z), 40.0f, 1e-3f);
    expectNear(orbit.centre, {0, 200, 0});
    // Shot 1 closes its circle after 4500 ms: a full turn at radius 200.
    const CameraShot round = pieceShot(1, 4500);
    EXPECT_NEAR(round.eye.x, 5.0f, 0.05f);
    EXPECT_NEAR(round.centre.y, 200.0f, 1e-3f);
    EXPECT_NEAR(std::hypot(round.eye.x - 5, round.eye.z - 25), 200.0f, 1e-3f);
    // Shot 2 closes from 200 to 40 about the top, shot 4 opens again from
    // 40 to 240 over 4500 ms.
    auto radius = [](const CameraShot& s) { return std::hypot(s.eye.x, s.eye.z); };
    EXPECT_NEAR(radius(pieceShot(2, 0)), 200.0f, 1e-3f);
    EXPECT_NEAR(radius(pieceShot(2, 4500)), 40.0f, 1e-3f);
    EXPECT_NEAR(radius(pieceShot(4, 0)), 40.0f, 1e-3f);
    EXPECT_NEAR(radius(pieceShot(4, 4500)), 240.0f, 1e-2f);
    // The last goes down from 150 to -10 and looks from 200 down to 10 by
    // 8000 ms; any later event keeps it.
    for (int k : {5, 7}) {
        expectNear(pieceShot(k, 8000).eye, {0, -10, 220});
        expectNear(pieceShot(k, 8000).centre, {0, 10, 0});
    }

    EXPECT_EQ(pieceTilt(229199), 0.0f);
    EXPECT_EQ(pieceTilt(229200), 0.0f);
    EXPECT_NEAR(pieceTilt(236400), 90.0f, 1e-3f);
    EXPECT_EQ(pieceTilt(240000), 90.0f);
}

TEST(Credits, WobbleLosesOnePixelEvery300Ms) {
    EXPECT_EQ(creditsWobble(0), 10);
    EXPECT_EQ(creditsWobble(300), 9);
    EXPECT_EQ(creditsWobble(2950), 0);
    EXPECT_EQ(creditsWobble(6000), 0);
}

// The files as the program reads them.
class LateModels : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [name, scene] : lateSceneModels()) {
            std::ofstream(dir / name, std::ios::binary) << writeAse(scene);
        }
    }
    std::string file(const char* name) const { return (dir / name).string(); }
    TempDir dir;
};

// The camera circles 40 units out and 40 up, later 60 up and wider: the
// stems climb towards it so the tip it watches stays near, and stay inside
// its first circle.
TEST_F(LateModels, FlowerStemsClimbTowardsTheOrbitingCamera) {
    for (int i = 0; i < 3; ++i) {
        SplinePath stem;
        stem.loadShape(file("kukka.ASE").c_str(), i);
        stem.scale(0.3f);
        ASSERT_GE(stem.segmentCount(), 7) << "stem " << i;
        const float reach = i == 0 ? 6.6f : 4.1f;
        float previous = -1;
        for (float t = 0; t <= reach; t += 0.1f) {
            const Vec3 p = stem.evaluate(t);
            EXPECT_LT(std::hypot(p.x, p.z), 30.0f);
            EXPECT_GT(p.y, previous) << "stem " << i << " climbs all the way, at " << t;
            previous = p.y;
        }
        EXPECT_GT(previous, 45.0f) << "stem " << i;
        EXPECT_LT(previous, 80.0f) << "stem " << i;
    }
}

TEST_F(LateModels, CityHasManyVerticesBeyondTwelveUnits) {
    AseModel city;
    city.load(file("city.ASE").c_str(), nullptr);
    ASSERT_GE(city.meshCount(), 1);
    int far = 0;
    float widest = 0;
    for (const Vec3& v : city.meshes[0]->vertices) {
        if (std::hypot(v.x, v.y, v.z) > 12) ++far;
        widest = std::max(widest, std::fabs(v.x));
    }
    EXPECT_GT(far, 300);
    EXPECT_GT(widest, 10.0f);
    EXPECT_LT(widest, 15.0f);
}

TEST_F(LateModels, RingShipIsASphereInThreeRingsTurningAboutIt) {
    AseModel ship;
    ship.load(file("alus.ASE").c_str(), nullptr);
    const int sphere = ship.findMesh("\"sphere\"");
    ASSERT_GE(sphere, 0);
    const Vec3 centre = ship.meshes[sphere]->nodePos;
    // Vertices are stored about the node's pivot, which the rings turn about.
    auto extent = [&](int m) {
        float r = 0;
        for (const Vec3& v : ship.meshes[m]->vertices) r = std::max(r, std::hypot(v.x, v.y, v.z));
        return r;
    };
    EXPECT_GT(extent(sphere), 8.0f);
    EXPECT_LT(extent(sphere), 14.0f);
    float ringsReach = 0;
    for (const char* ring : {"\"ring_01\"", "\"ring_02\"", "\"ring_03\""}) {
        const int m = ship.findMesh(ring);
        ASSERT_GE(m, 0) << ring;
        ringsReach = std::max(ringsReach, extent(m));
        EXPECT_EQ(ship.meshes[m]->nodePos.x, centre.x) << ring;
        EXPECT_EQ(ship.meshes[m]->nodePos.y, centre.y) << ring;
        EXPECT_EQ(ship.meshes[m]->nodePos.z, centre.z) << ring;
        EXPECT_GT(extent(m), extent(sphere) + 4) << ring;
        EXPECT_LT(extent(m), 40.0f) << ring;
    }
    // Every eye of the scene keeps clear of the sphere, and after the first
    // section's fly-past clear of the tumbling rings too, and within 340
    // units of it; anything else keeps farther off, where it can never come
    // between an eye and the sphere.
    const float events[] = {178200, 182200, 185800, 189300, 192800, 196500, 200300, 204000, 207500};
    for (int k = 0; k < 8; ++k) {
        // The scene's last 200 ms are all but white in the fade-out.
        const float end = k == 7 ? events[8] - 200 : events[k + 1];
        for (float t = events[k]; t < end; t += 50) {
            const Vec3 eye = shipShot(k, (t - events[k]) * 0.0002f, t - events[0]).eye;
            const float d = std::hypot(eye.x - centre.x, eye.y - centre.y, eye.z - centre.z);
            EXPECT_GT(d, (k == 0 ? extent(sphere) : ringsReach) + 1) << "section " << k << " at " << t;
            EXPECT_LT(d, 340.0f) << "section " << k << " at " << t;
        }
    }
    for (int m = 0; m < ship.meshCount(); ++m) {
        const std::string name = ship.meshes[m]->nodeName;
        if (name == "\"sphere\"" || name.rfind("\"ring_", 0) == 0) continue;
        for (const Vec3& v : ship.meshes[m]->vertices) {
            const Vec3 w{v.x + ship.meshes[m]->nodePos.x, v.y + ship.meshes[m]->nodePos.y,
                         v.z + ship.meshes[m]->nodePos.z};
            ASSERT_GT(std::hypot(w.x - centre.x, w.y - centre.y, w.z - centre.z), 380.0f) << name;
        }
    }
}

TEST_F(LateModels, PieceIsTallAndSlender) {
    AseModel piece;
    piece.load(file("piece.ASE").c_str(), nullptr);
    ASSERT_GE(piece.meshCount(), 1);
    float low = 1e9f, high = -1e9f, radius = 0;
    for (const Vec3& v : piece.meshes[0]->vertices) {
        low = std::min(low, v.y);
        high = std::max(high, v.y);
        radius = std::max(radius, std::hypot(v.x, v.z));
    }
    EXPECT_NEAR(low, 0.0f, 0.5f);
    EXPECT_NEAR(high, 200.0f, 1.0f);
    EXPECT_LT(radius, 25.0f);
}

}  // namespace
