// Shots of the real program and the probes the scene tests read them by.
//
//   const RgbImage image = shotAt(33000);             // --shot at 1024 x 768
//   EXPECT_GT(meanLevel(image, kBand), 230.0);
//   countPixels(image, kBand, [](int r, int g, int b) { return r > 180; });
//
// Header-only: it runs AFTERGLOW_BINARY in AFTERGLOW_DATA_DIR, which the
// tests that run the program are compiled with.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

// Rows of the picture band in a 1024 x 768 window: 96..671.
constexpr int kBandTop = 96;
constexpr int kBandBottom = 672;

struct Region {
    int x0, y0, x1, y1;
};

inline constexpr Region kBand{0, kBandTop, 1024, kBandBottom};

// The frame at ms as --shot writes it (the default 1024 x 768), drawn
// without a GL error.
inline RgbImage shotAt(int ms) {
    TempDir dir;
    const std::string file = (dir / "shot.png").string();
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

inline double meanLevel(const RgbImage& image, Region r) {
    double sum = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            const uint8_t* p = image.at(x, y);
            sum += p[0] + p[1] + p[2];
        }
    return sum / (3.0 * (r.x1 - r.x0) * (r.y1 - r.y0));
}

inline int countPixels(const RgbImage& image, Region r, const std::function<bool(int, int, int)>& test) {
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
inline double detail(const RgbImage& image) {
    double sum = 0;
    for (int y = kBandTop; y < kBandBottom; ++y)
        for (int x = 0; x + 1 < image.width; ++x) sum += std::abs(image.at(x + 1, y)[1] - image.at(x, y)[1]);
    return sum / ((kBandBottom - kBandTop) * (image.width - 1.0));
}

// Smallest channel value over the picture band.
inline int minInBand(const RgbImage& image) {
    int lowest = 255;
    for (int y = kBandTop; y < kBandBottom; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c) lowest = std::min<int>(lowest, image.at(x, y)[c]);
    return lowest;
}

// Median grey level of the picture band: the backdrop where it fills most
// of it.
inline int medianInBand(const RgbImage& image) {
    std::vector<int> levels;
    for (int y = kBandTop; y < kBandBottom; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            levels.push_back((p[0] + p[1] + p[2]) / 3);
        }
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    return levels[levels.size() / 2];
}
