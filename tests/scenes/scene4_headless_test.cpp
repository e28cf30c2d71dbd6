// Scene 4 through the real program: the bars start from nothing.
// Each probe is loose enough for changes of content but fails on a missing
// pass, a wrong camera or a wrong fade.
#include <gtest/gtest.h>

#include "support/shot_probe.h"

namespace {

TEST(Bars, StartFromNothingOnBlack) { EXPECT_LT(shotAt(85310).maxInRows(kBandTop, kBandBottom), 24); }

}  // namespace
