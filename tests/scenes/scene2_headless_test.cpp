// Scene 2 through the real program: the clouds end in white.
// Each probe is loose enough for changes of content but fails on a missing
// pass, a wrong camera or a wrong fade.
#include <gtest/gtest.h>

#include "support/shot_probe.h"

namespace {

TEST(Clouds, EndNearWhite) { EXPECT_GT(meanLevel(shotAt(58250), kBand), 230.0); }

}  // namespace
