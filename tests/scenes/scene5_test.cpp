// Scene 5: the ribbons over the tile field: their paths from the seeded
// generator, the colours and the camera.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene5.h"
#include "scenes/scene_entries.h"
#include "support/music_time.h"
#include "support/temp_dir.h"
#include "support/vec_expect.h"

namespace {

float distance(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

RibbonPath pathOf(std::vector<int32_t> moves) {
    RibbonPath p;
    p.moves = moves;
    p.moveCount = static_cast<int32_t>(moves.size());
    p.direction = {1, 0, 0};
    p.start = {0, 0, 0};
    return p;
}

TEST(Ribbons, EachSetsOutInTurnAtMost24MovesLong) {
    EXPECT_FALSE(ribbonSpan(5, 4)) << "ribbon 5 waits until Z passes 4";
    EXPECT_NEAR(ribbonSpan(5, 4.04f)->head, 0.04f, 1e-5f);
    // The first frame: ribbon 0 already one move long, 25 quads of 0.04.
    const RibbonSpan first = *ribbonSpan(0, ribbonProgress(0.5f));
    EXPECT_EQ(first.tail, 0.0f);
    EXPECT_NEAR((first.head - first.tail) / 0.04f, 25.0f, 0.05f);
    const RibbonSpan grown = *ribbonSpan(3, 40);
    EXPECT_FLOAT_EQ(grown.head, 38.0f);
    EXPECT_FLOAT_EQ(grown.tail, 14.0f);
    EXPECT_FLOAT_EQ(ribbonProgress(29100), 58.2f) << "a move every 500 ms";
}

TEST(Ribbons, ColoursRepeatEveryFive) {
    for (int i : {2, 7, 12}) {
        const Colour c = ribbonColour(i);
        EXPECT_EQ(c.r + c.g + c.b, 3.0f) << i << " is white";
    }
    for (int i : {1, 6, 11}) {
        const Colour c = ribbonColour(i);
        EXPECT_EQ(c.r + c.g + c.b, 0.0f) << i << " is black";
    }
    EXPECT_FLOAT_EQ(ribbonColour(0).b, 0.1f);
    EXPECT_FLOAT_EQ(ribbonColour(3).r, 0.4f);
    EXPECT_FLOAT_EQ(ribbonColour(9).g, 0.3f);
}

TEST(Ribbons, CameraSwoopsOntoTheFirstHeadThenRidesEachSectionsRibbon) {
    initScene5();
    // Just after the scene's first B event the eye is still far out.
    const float opening = sceneStart(5) + 0.5f;
    at(opening);
    const float Z = ribbonProgress(0.5f);
    const Vec3 P = ribbonPaths[0].pointAt(Z + std::sin(opening * 0.002f));
    const CameraShot far = ribbonShot(opening, Z);
    EXPECT_NEAR(far.eye.x, -60 - P.x, 2.5f);
    EXPECT_NEAR(far.eye.z, -60 - P.z, 0.5f);
    EXPECT_GT(far.eye.y, 90 - P.y + 4);
    EXPECT_LT(far.eye.y, 90 - P.y + 14);

    // Section 1, three seconds after its event: no pulse left, so eye and
    // target sit on ribbon 1's head but for the slow sway, up along x.
    const float now = 101000;
    at(now);
    ASSERT_EQ(trackBCountInScene(), 1);
    const float z = ribbonProgress(now - sceneStart(5));
    const Vec3 head = ribbonPaths[1].pointAt(z + std::sin(now * 0.002f));
    const CameraShot riding = ribbonShot(now, z);
    EXPECT_LT(distance(riding.centre, head), 0.25f);
    EXPECT_LE(std::fabs(riding.eye.x - riding.centre.x), 2.1f);
    EXPECT_GE(riding.eye.y - riding.centre.y, 5.9f);
    EXPECT_LE(riding.eye.y - riding.centre.y, 12.1f);
    EXPECT_NEAR(riding.eye.z, riding.centre.z, 0.1f);
    EXPECT_EQ(riding.up.x, 1.0f);
    EXPECT_EQ(riding.up.y, 0.0f);
}

TEST(Ribbons, FadeInAndOutOfWhite) {
    EXPECT_FLOAT_EQ(*openingAlpha(kRibbonsFadeIn, sceneStart(5) + 250, sceneStart(5)), 0.5f);
    EXPECT_FLOAT_EQ(*closingAlpha(kRibbonsFadeOut, sceneEnd(5) - 500, sceneEnd(5)), 0.5f);
    EXPECT_FALSE(closingAlpha(kRibbonsFadeOut, sceneEnd(5) - 1000, sceneEnd(5)));
    EXPECT_EQ(kRibbonsFadeOut.colour.r, 1.0f);
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

}  // namespace
