// Scene 5 through the real program: the ribbons open on white.
#include <gtest/gtest.h>

#include "support/shot_probe.h"

namespace {

TEST(Ribbons, OpenOnWhite) {
    const RgbImage first = shotAt(90910);  // 10 ms in: the white at alpha 0.98
    ASSERT_EQ(first.width, 1024);
    EXPECT_GE(minInBand(first), 240);
}

}  // namespace
