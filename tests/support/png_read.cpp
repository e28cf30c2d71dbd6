#include "support/png_read.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>

int RgbImage::maxInRows(int y0, int y1) const { return maxIn(0, y0, width, y1); }

int RgbImage::maxIn(int x0, int y0, int x1, int y1) const {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width);
    y1 = std::min(y1, height);
    int best = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0 * 3; x < x1 * 3; ++x) best = std::max<int>(best, pixels[static_cast<size_t>(y) * width * 3 + x]);
    return best;
}

bool readPngRgb(const std::string& path, RgbImage& image, std::string& error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        error = png.message;
        return false;
    }
    return true;
}

bool readPngAlpha(const std::string& path, int& width, int& height, std::vector<uint8_t>& alpha, std::string& error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = png.message;
        return false;
    }
    if (!(png.format & PNG_FORMAT_FLAG_ALPHA)) {
        png_image_free(&png);
        error = path + " has no alpha channel";
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) {
        error = png.message;
        return false;
    }
    width = static_cast<int>(png.width);
    height = static_cast<int>(png.height);
    alpha.clear();
    for (size_t k = 3; k < rgba.size(); k += 4) alpha.push_back(rgba[k]);
    return true;
}

RgbImage pngImage(const std::string& path) {
    RgbImage image;
    std::string error;
    EXPECT_TRUE(readPngRgb(path, image, error)) << error;
    return image;
}
