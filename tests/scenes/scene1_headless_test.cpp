// Scene 1 through the real program: the symbols in view.
// Each probe is loose enough for changes of content but fails on a missing
// pass, a wrong camera or a wrong fade.
#include <gtest/gtest.h>

#include "support/shot_probe.h"

namespace {

TEST(Symbols, WheelIsInTheMiddleOfTheFrame) {
    const RgbImage image = shotAt(33000);
    // Saturated cyan: the lit symbols, not the paler ground or the black sky.
    const int lit = countPixels(image, {256, 200, 768, 560}, [](int r, int, int b) { return b > 220 && r < 130; });
    EXPECT_GT(lit, 3000);
}

}  // namespace
