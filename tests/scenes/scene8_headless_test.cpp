// Scene 8 through the real program: the ring ship's orange ground.
#include <gtest/gtest.h>

#include "support/shot_probe.h"

namespace {

TEST(RingShip, GroundIsOrangeWhereNothingIsDrawn) {
    // Section 1, 1.8 s after its event: no pulse, no fade; the upper left
    // corner looks past the ship.
    const RgbImage image = shotAt(184000);
    ASSERT_EQ(image.width, 1024);
    const uint8_t* p = image.at(8, kBandTop + 8);
    EXPECT_GT(p[0], 200);
    EXPECT_GT(p[0], p[1] + 20);
    EXPECT_GT(p[1], p[2] + 80);
}

}  // namespace
