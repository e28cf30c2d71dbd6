// Scene 9: the piece above the spiral of spots: the shot table, tilt, cues and the flash.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene9.h"
#include "scenes/scene_entries.h"
#include "support/music_time.h"
#include "support/temp_dir.h"
#include "support/vec_expect.h"

namespace {

TEST(Piece, LiftTiltShaderAndBackdropFollowTheirCues) {
    EXPECT_EQ(pieceLift(229199), 0.0f);
    EXPECT_EQ(pieceLift(229200), 0.0f);
    EXPECT_FLOAT_EQ(pieceLift(232200), 2.0f);
    EXPECT_EQ(pieceLift(233700), 3.0f);
    EXPECT_EQ(pieceLift(236000), 3.0f);

    EXPECT_EQ(pieceUniforms(221000, 3, 0).puls, 0.0f);
    const PieceUniforms pulsing = pieceUniforms(228000, 4, 1);
    EXPECT_FLOAT_EQ(pulsing.puls, 0.4f);
    EXPECT_EQ(pulsing.pulsmul, 4.0f);
    EXPECT_FLOAT_EQ(pulsing.minus, 14.0f);
    EXPECT_FLOAT_EQ(pulsing.minus2, 0.89f);
    EXPECT_EQ(pieceUniforms(229200, 5, 0).pulsmul, 0.0f) << "off once the piece tips";
    EXPECT_EQ(pieceUniforms(222000, 4, 0).minus, 20.0f);

    EXPECT_EQ(pieceBackdropGrey(220000, 0, 0), 1.0f);
    EXPECT_FLOAT_EQ(pieceBackdropGrey(220000, 1, 1), 1.4f);
    EXPECT_NEAR(pieceBackdropGrey(225600, 0, 0), 0.2f, 1e-6f);
    EXPECT_NEAR(pieceBackdropGrey(234700, 0, 0), 1.2f, 1e-5f);
}

TEST(Piece, SpotsPopAlongTheSpiralFrom20MsEachAndTheSceneFlashesWhite) {
    for (int i = 0; i < 200; ++i) ASSERT_FALSE(spotHalfSize(i, 0, 0)) << i;
    EXPECT_NEAR(*spotHalfSize(0, 0.5f, 0), 0.0f, 0.01f) << "from nothing";
    EXPECT_FALSE(spotHalfSize(199, 3980, 0));
    EXPECT_TRUE(spotHalfSize(199, 3981, 0));
    // Held from 1000 ms after its start at 5 cos(0.84 * 0.3 * 0.56) cos(0.93 * 40),
    // less a fifth of that per unit of beat.
    const float held = 5 * std::cos(0.84f * 0.3f * 0.56f) * std::cos(0.93f * 40);
    EXPECT_NEAR(*spotHalfSize(0, 1000, 0), held, 1e-4f);
    EXPECT_NEAR(*spotHalfSize(0, 1000, 1), held * 0.8f, 1e-4f);

    EXPECT_FLOAT_EQ(*openingAlpha(kPieceFadeIn, sceneStart(9) + 500, sceneStart(9)), 0.5f);
    EXPECT_FALSE(closingAlpha(kPieceFadeOut, sceneEnd(9) - 1300, sceneEnd(9)));
    EXPECT_NEAR(*closingAlpha(kPieceFadeOut, sceneEnd(9) - 800, sceneEnd(9)), 0.5f, 1e-5f);
    EXPECT_EQ(closingAlpha(kPieceFadeOut, sceneEnd(9) - 300, sceneEnd(9)), 1.0f) << "full white 300 ms early";
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

}  // namespace
