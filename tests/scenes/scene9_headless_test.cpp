// Scene 9 through the real program: the piece's backdrop darkening and
// brightening, and its end in white.
#include <gtest/gtest.h>

#include "support/shot_probe.h"

namespace {

TEST(Piece, BackdropDarkensAndBrightensVisibly) {
    // Before and after 225600 in the same shot, then late in the
    // brightening from 233200 (before the final flash).
    const int lit = medianInBand(shotAt(224500));
    const int dimmed = medianInBand(shotAt(227500));
    const int brightened = medianInBand(shotAt(235200));
    EXPECT_GT(lit, 80);
    EXPECT_LT(3 * dimmed, lit);
    EXPECT_GT(brightened, 3 * dimmed);
}

TEST(Piece, EndsInWhite) { EXPECT_GE(minInBand(shotAt(236500)), 250); }

}  // namespace
