// Reads an 8-bit RGB PNG for pixel probes, or a PNG's alpha channel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // rows top first, 3 bytes a pixel

    const uint8_t* at(int x, int y) const { return pixels.data() + (static_cast<size_t>(y) * width + x) * 3; }
    // Largest channel value over the whole rows [y0, y1).
    int maxInRows(int y0, int y1) const;
    // Largest channel value in the box [x0, x1) x [y0, y1), clipped to the
    // image (0 when nothing is left).
    int maxIn(int x0, int y0, int x1, int y1) const;
};

// Returns false with the reason in error when the file is not an RGB PNG.
bool readPngRgb(const std::string& path, RgbImage& image, std::string& error);
// The alpha channel, one byte a pixel, rows top first; false with the
// reason in error when the file cannot be read or has no alpha channel.
bool readPngAlpha(const std::string& path, int& width, int& height, std::vector<uint8_t>& alpha, std::string& error);
// The same in a test: the picture, or an empty one and a failure that says why.
RgbImage pngImage(const std::string& path);
