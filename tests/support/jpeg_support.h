// Helpers for tests of the JPEG decoder: images to encode, libjpeg-turbo's
// own decoding to compare with, and surgery on a file's segments.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Deterministic test picture with gradients, fine detail, hard edges and
// saturated colours (which push the colour conversion into its clamps).
std::vector<uint8_t> jpegTestPattern(int width, int height, int channels, uint32_t seed = 1);

// libjpeg-turbo with the float IDCT and replicated chroma (no smoothing), as
// RGB. False with the reason when libjpeg refuses the file.
bool decodeWithLibjpegFloat(const std::vector<uint8_t>& file, int& width, int& height, std::vector<uint8_t>& rgb,
                            std::string& error);

// Largest absolute difference between RGB bytes and the RGB of RGBA bytes.
int maxRgbDifference(std::span<const uint8_t> rgb, std::span<const uint8_t> rgba);

// A file's marker segments up to and including the scan header, then the rest.
struct JpegSegments {
    struct Segment {
        int marker = 0;              // the byte after 0xFF
        std::vector<uint8_t> body;   // without marker and length
    };
    std::vector<Segment> segments;  // after SOI
    std::vector<uint8_t> entropy;   // from the first byte after the scan header to the end
};
bool splitJpeg(const std::vector<uint8_t>& file, JpegSegments& out);
std::vector<uint8_t> joinJpeg(const JpegSegments& parts);
// Every quantisation table stored with 16-bit values.
std::vector<uint8_t> withWideQuantTables(const std::vector<uint8_t>& file);
// All DHT segments merged into one, all DQT segments into one.
std::vector<uint8_t> withMergedTables(const std::vector<uint8_t>& file);
