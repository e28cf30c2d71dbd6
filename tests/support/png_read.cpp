#include "support/png_read.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

int RgbImage::maxInRows(int y0, int y1) const {
    int best = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < width * 3; ++x) best = std::max<int>(best, pixels[static_cast<size_t>(y) * width * 3 + x]);
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
