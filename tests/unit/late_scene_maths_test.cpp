// The maths of scenes 5 to 10 at the edges their timing gives: how much of
// each ribbon shows and the camera riding it, the flowers' camera and ring
// decals, the city's camera, rings and swell, the ring ship's shake and
// wobble, the piece's lift, shader values, spots and backdrop, the credits'
// black fade, and every scene's fades.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/vec_math.h"
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

namespace {

float distance(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

constexpr float kSigmoidAtOne = 0.99752738f;  // sigmoidStep(1)

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

TEST(City, RisesOutOfTheGroundThenEachSectionHasItsEye) {
    at(sceneStart(7) + 0.5f);
    const CameraShot rising = cityShot(0, sceneStart(7) + 0.5f, 0);
    EXPECT_NEAR(rising.eye.y, -5.96f, 0.01f);
    EXPECT_NEAR(rising.centre.y, -69.81f, 0.01f);
    EXPECT_EQ(rising.eye.x, 0.0f);

    // Section 4 starts on the A event at 163000: just after it the B pulse
    // keeps the eye at the default (10, 20); as the pulse dies it swings out
    // 40 units about that place at the fallen city's height plus 100.
    const float now = 163000.5f;
    at(now);
    const CameraShot base = cityShot(3, now, 0);
    const CameraShot fresh = cityShot(4, now, sigmoidStep(1));
    EXPECT_NEAR(fresh.eye.x, 10.0f, 0.2f);
    EXPECT_NEAR(fresh.eye.y, 20.0f, 0.5f);
    const float g = sigmoidStep(0);
    const CameraShot decayed = cityShot(4, now, g);
    EXPECT_NEAR(decayed.eye.y, (1 - g) * (cityDrop() + 100) + g * 20, 1e-3f);
    EXPECT_NEAR(std::hypot(decayed.eye.x - base.eye.x, decayed.eye.z - base.eye.z), 40 * (1 - g), 1e-3f);
    EXPECT_FLOAT_EQ(decayed.centre.y, -195.0f) << "the target follows the drop";
    EXPECT_FLOAT_EQ(cityShot(5, 172000, 0).eye.y, -170.0f);
}

TEST(City, RingsPopInEvery150MsAndOnlyTheFirst102ShowBeforeTheEnd) {
    EXPECT_FALSE(groundRingHalfSize(0, 163000));
    EXPECT_NEAR(*groundRingHalfSize(0, 164000), 12.0552f, 1e-3f);
    EXPECT_FALSE(groundRingHalfSize(20, 166000));
    EXPECT_TRUE(groundRingHalfSize(20, 166001));
    EXPECT_TRUE(groundRingHalfSize(101, sceneEnd(7) - 1));
    EXPECT_FALSE(groundRingHalfSize(102, sceneEnd(7)));
}

TEST(City, SwellsFrom171000ToAbout1Point9LessTheBeat) {
    EXPECT_EQ(cityScale(171000, 1), 1.0f);
    EXPECT_NEAR(cityScale(sceneEnd(7), 0), 1.9f, 1e-4f);
    EXPECT_NEAR(cityScale(175000, 1), 1.4f, 1e-4f);
    EXPECT_FLOAT_EQ(*closingAlpha(kCityFadeOut, sceneEnd(7) - 250, sceneEnd(7)), 0.5f);
    EXPECT_FALSE(closingAlpha(kCityFadeOut, sceneEnd(7) - 500, sceneEnd(7)));
}

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

TEST(Credits, FadeInFromWhiteAndToBlackFromFiveSecondsIn) {
    EXPECT_EQ(openingAlpha(kCreditsFadeIn, sceneStart(10), sceneStart(10)), 1.0f);
    at(242000);
    EXPECT_FALSE(creditsBlackAlpha(sceneStart(10) + 5000));
    EXPECT_FLOAT_EQ(*creditsBlackAlpha(242200), 0.5f);
    EXPECT_FLOAT_EQ(*creditsBlackAlpha(243200), 1.5f) << "drawn as full black, the last frame";
}

}  // namespace
