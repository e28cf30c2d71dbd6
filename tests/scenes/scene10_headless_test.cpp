// Scene 10 through the real program: the credits legible at the default
// size, and the end in black.
#include <gtest/gtest.h>

#include <vector>

#include "support/shot_probe.h"

namespace {

TEST(Credits, EveryLineIsLegibleAt1024x768) {
    // 3.3 s into the credits: the wobble is over and the fade not begun.
    const RgbImage image = shotAt(240000);
    ASSERT_EQ(image.width, 1024);
    // Bands of rows that hold bright pixels: the mark, the title and each
    // line. A band thinner than 4 rows is a rule, not text.
    std::vector<int> heights;
    int run = 0;
    for (int y = kBandTop; y <= kBandBottom; ++y) {
        bool bright = false;
        for (int x = 0; y < kBandBottom && x < image.width && !bright; ++x) bright = image.at(x, y)[1] > 160;
        if (bright) {
            ++run;
        } else {
            if (run >= 4) heights.push_back(run);
            run = 0;
        }
    }
    EXPECT_GE(heights.size(), 5u);
    for (int h : heights) EXPECT_GE(h, 14) << "a line of text too small to read";
}

TEST(Credits, EndInBlack) { EXPECT_EQ(shotAt(243000).maxInRows(0, 768), 0); }

}  // namespace
