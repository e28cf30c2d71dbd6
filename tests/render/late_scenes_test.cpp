// The later scenes through the real program at a few chosen frames: the
// fades that open and close them, the ring ship's orange ground, the
// piece's backdrop darkening and brightening, and the credits legible at the
// default size.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

constexpr int kBandTop = 96;  // 1024 x 768: the picture band is rows 96..671
constexpr int kBandBottom = 672;

RgbImage shotAt(int ms, const TempDir& dir) {
    const std::string file = (dir / ("shot" + std::to_string(ms) + ".png")).string();
    ProcessOptions options;
    options.timeoutSec = 120;
    options.workingDir = AFTERGLOW_DATA_DIR;
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--shot", std::to_string(ms), file}, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("GL error"), std::string::npos) << r.err;
    RgbImage image;
    std::string error;
    EXPECT_TRUE(readPngRgb(file, image, error)) << error;
    return image;
}

// Smallest channel value over the picture band.
int minInBand(const RgbImage& image) {
    int lowest = 255;
    for (int y = kBandTop; y < kBandBottom; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c) lowest = std::min<int>(lowest, image.at(x, y)[c]);
    return lowest;
}

TEST(LateScenes, RibbonsOpenOnWhite) {
    TempDir dir;
    const RgbImage first = shotAt(90910, dir);  // 10 ms in: the white at alpha 0.98
    ASSERT_EQ(first.width, 1024);
    EXPECT_GE(minInBand(first), 240);
}

TEST(LateScenes, RingShipGroundIsOrangeWhereNothingIsDrawn) {
    TempDir dir;
    // Section 1, 1.8 s after its event: no pulse, no fade; the upper left
    // corner looks past the ship.
    const RgbImage image = shotAt(184000, dir);
    ASSERT_EQ(image.width, 1024);
    const uint8_t* p = image.at(8, kBandTop + 8);
    EXPECT_GT(p[0], 200);
    EXPECT_GT(p[0], p[1] + 20);
    EXPECT_GT(p[1], p[2] + 80);
}

// Median grey level of the picture band: the backdrop, which fills most of
// it.
int medianInBand(const RgbImage& image) {
    std::vector<int> levels;
    for (int y = kBandTop; y < kBandBottom; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            levels.push_back((p[0] + p[1] + p[2]) / 3);
        }
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    return levels[levels.size() / 2];
}

TEST(LateScenes, PieceBackdropDarkensAndBrightensVisibly) {
    TempDir dir;
    // Before and after 225600 in the same shot, then late in the
    // brightening from 233200 (before the final flash).
    const int lit = medianInBand(shotAt(224500, dir));
    const int dimmed = medianInBand(shotAt(227500, dir));
    const int brightened = medianInBand(shotAt(235200, dir));
    EXPECT_GT(lit, 80);
    EXPECT_LT(3 * dimmed, lit);
    EXPECT_GT(brightened, 3 * dimmed);
}

TEST(LateScenes, EveryCreditsLineIsLegibleAt1024x768) {
    TempDir dir;
    // 3.3 s into the credits: the wobble is over and the fade not begun.
    const RgbImage image = shotAt(240000, dir);
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

TEST(LateScenes, PieceEndsInWhiteAndCreditsEndInBlack) {
    TempDir dir;
    EXPECT_GE(minInBand(shotAt(236500, dir)), 250);
    EXPECT_EQ(shotAt(243000, dir).maxInRows(0, 768), 0);
}

}  // namespace
