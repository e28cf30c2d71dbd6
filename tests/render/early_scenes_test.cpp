// Chosen frames of the first five scenes, checked by pixel probes: the
// opening fade and logo, the dip to black as the field appears, the flight's
// trail, the glow mixed in at its end, the symbols in view, the clouds ending
// in white, the letters showing through the cloud tunnel and the bars
// starting from nothing. Each probe is loose enough for changes of content
// but fails on a missing pass, a wrong camera or a wrong fade.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

// Rows of the picture band in a 1024 x 768 window.
constexpr int kBandTop = 96;
constexpr int kBandBottom = 672;

RgbImage shotAt(int ms) {
    TempDir dir;
    const std::filesystem::path file = dir / "shot.png";
    ProcessOptions options;
    options.timeoutSec = 120;
    options.workingDir = AFTERGLOW_DATA_DIR;
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--shot", std::to_string(ms), file.string()}, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    RgbImage image;
    std::string error;
    EXPECT_TRUE(readPngRgb(file.string(), image, error)) << error;
    return image;
}

struct Region {
    int x0, y0, x1, y1;
};

double meanLevel(const RgbImage& image, Region r) {
    double sum = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            const uint8_t* p = image.at(x, y);
            sum += p[0] + p[1] + p[2];
        }
    return sum / (3.0 * (r.x1 - r.x0) * (r.y1 - r.y0));
}

int countPixels(const RgbImage& image, Region r, const std::function<bool(int, int, int)>& test) {
    int n = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            const uint8_t* p = image.at(x, y);
            if (test(p[0], p[1], p[2])) ++n;
        }
    return n;
}

// Mean step of the green channel between neighbouring pixels of the band:
// falls as a blur is mixed over the picture.
double detail(const RgbImage& image) {
    double sum = 0;
    for (int y = kBandTop; y < kBandBottom; ++y)
        for (int x = 0; x + 1 < image.width; ++x) sum += std::abs(image.at(x + 1, y)[1] - image.at(x, y)[1]);
    return sum / ((kBandBottom - kBandTop) * (image.width - 1.0));
}

const Region kBand{0, kBandTop, 1024, kBandBottom};

TEST(OpeningFlight, StartsWhiteWithoutTheLogo) {
    const RgbImage image = shotAt(0);
    ASSERT_EQ(image.width, 1024);
    EXPECT_GT(meanLevel(image, kBand), 240.0);
    // The logo's corner: lower left of the band, black where it shows.
    const int dark = countPixels(image, {0, kBandBottom - 512, 512, kBandBottom},
                                 [](int r, int g, int b) { return r + g + b < 300; });
    EXPECT_EQ(dark, 0);
}

TEST(OpeningFlight, FieldAppearsBehindAVeilThenFliesWithATrail) {
    const double veiled = meanLevel(shotAt(6750), kBand);
    const double open = meanLevel(shotAt(7000), kBand);
    EXPECT_GT(open, 20.0) << "the field and sky are drawn";
    EXPECT_LT(veiled, 0.7 * open) << "half black over the field at 6750 ms";

    const RgbImage flight = shotAt(20000);
    const int trail = countPixels(flight, kBand, [](int r, int, int b) { return r > 180 && r > b + 80; });
    EXPECT_GT(trail, 2000) << "the orange trail along the flight path";
    const int tiles = countPixels(flight, kBand, [](int r, int g, int b) { return b > 120 && g > r + 30; });
    EXPECT_GT(tiles, 20000) << "the blue-green field under the camera";
}

TEST(OpeningFlight, LastSecondMixesInTheGlowImage) {
    const double sharp = detail(shotAt(27900));
    const double halfBlurred = detail(shotAt(28500));
    EXPECT_LT(halfBlurred, 0.75 * sharp);
    EXPECT_GT(halfBlurred, 0.3 * sharp) << "at half strength, not yet the whole glow";
}

TEST(Symbols, WheelIsInTheMiddleOfTheFrame) {
    const RgbImage image = shotAt(33000);
    // Saturated cyan: the lit symbols, not the paler ground or the black sky.
    const int lit = countPixels(image, {256, 200, 768, 560}, [](int r, int, int b) { return b > 220 && r < 130; });
    EXPECT_GT(lit, 3000);
}

TEST(Clouds, EndNearWhite) { EXPECT_GT(meanLevel(shotAt(58250), kBand), 230.0); }

TEST(CloudTunnel, LetterCopiesShowThroughTheSheets) {
    // The first shot, a rolling one and an orbiting one (the last shot lasts
    // 1.4 s and looks up past the copies). The polished letters are the only
    // bright, nearly grey pixels: the sheets are warm and the sky is blue.
    for (int ms : {59400, 74400, 81400}) {
        const int chrome = countPixels(shotAt(ms), kBand, [](int r, int g, int b) {
            return std::min({r, g, b}) > 110 && std::max({r, g, b}) - std::min({r, g, b}) < 40;
        });
        EXPECT_GT(chrome, 0.015 * 1024 * (kBandBottom - kBandTop)) << "at " << ms << " ms";
    }
}

TEST(Bars, StartFromNothingOnBlack) { EXPECT_LT(shotAt(85310).maxInRows(kBandTop, kBandBottom), 24); }

}  // namespace
