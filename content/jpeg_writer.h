// Baseline (or progressive) JPEG files through libjpeg, for the data folder
// and for tests that need images made to order.
//
//   JpegWriteOptions o;
//   o.quality = 85;
//   o.sampling = JpegSampling::S420;
//   std::vector<uint8_t> file = encodeJpeg(rgb.data(), width, height, 3, o, error);
//
// Pixels are 8-bit, rows top first, 1 (grey) or 3 (RGB) bytes a pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class JpegSampling { S444, S422, S420 };

// An APPn (0xE0..0xEF) or COM (0xFE) segment written before the frame.
struct JpegMarker {
    int code = 0xFE;
    std::vector<uint8_t> bytes;
};

struct JpegWriteOptions {
    int quality = 90;                          // 1..100
    JpegSampling sampling = JpegSampling::S420;  // colour only
    int restartRows = 0;                       // restart interval in MCU rows, 0 = none
    bool optimiseHuffman = false;              // tables fitted to the image instead of the default ones
    bool progressive = false;
    std::vector<JpegMarker> markers;
};

// Empty on failure, with the reason in error.
std::vector<uint8_t> encodeJpeg(const uint8_t* pixels, int width, int height, int channels,
                                const JpegWriteOptions& options, std::string& error);

// Encodes and writes path; false with the reason in error.
bool writeJpeg(const std::string& path, const uint8_t* pixels, int width, int height, int channels,
               const JpegWriteOptions& options, std::string& error);
