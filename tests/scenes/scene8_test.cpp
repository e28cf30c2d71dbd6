// Scene 8: the ring ship: its shot table, sections, shake and dips.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene8.h"
#include "scenes/scene_entries.h"
#include "support/music_time.h"
#include "support/temp_dir.h"
#include "support/vec_expect.h"

namespace {

TEST(RingShip, ShakesAtTheEndWobblesAndDipsOnEachEvent) {
    EXPECT_EQ(shipEndShake(sceneEnd(8) - 2000, sceneEnd(8)), 0.0f);
    EXPECT_FLOAT_EQ(shipEndShake(sceneEnd(8) - 1500, sceneEnd(8)), 0.5f);
    EXPECT_EQ(shipWobbleAmplitude(0.5f), 7);
    EXPECT_EQ(shipWobbleAmplitude(0.07f), 0);
    EXPECT_FLOAT_EQ(shipDipAlpha(0.5f), 0.25f);
    at(182200 + 2500);
    EXPECT_FLOAT_EQ(shipShotProgress(182200 + 2500), 0.5f);

    const Colour mask = shipClearColour(false);
    EXPECT_EQ(mask.r + mask.g + mask.b, 0.0f);
    const Colour shaded = shipClearColour(true);
    EXPECT_FLOAT_EQ(shaded.r, 0.65f);
    EXPECT_FLOAT_EQ(shaded.g, 0.4f);
    EXPECT_FLOAT_EQ(shaded.b, 0.12f);

    EXPECT_FLOAT_EQ(*openingAlpha(kShipFadeIn, sceneStart(8) + 250, sceneStart(8)), 0.5f);
    // Drawn for the last 600 ms, visible for the last 500.
    EXPECT_LT(*closingAlpha(kShipFadeOut, sceneEnd(8) - 550, sceneEnd(8)), 0.0f);
    EXPECT_FLOAT_EQ(*closingAlpha(kShipFadeOut, sceneEnd(8) - 250, sceneEnd(8)), 0.5f);
    EXPECT_FALSE(closingAlpha(kShipFadeOut, sceneEnd(8) - 600, sceneEnd(8)));
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

}  // namespace
