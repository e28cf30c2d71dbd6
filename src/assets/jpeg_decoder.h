// The program's own JPEG decoder, free of GL: file bytes in, RGBA out.
//
//   JpegImage image;
//   JpegDecodeResult r = decodeJpeg(bytes.data(), bytes.size(), image);
//   if (!r.ok) std::fprintf(stderr, "%s\n", r.reason.c_str());   // image is 0x0
//
// It reads baseline sequential files with Huffman coding: one interleaved
// scan of 1 (grey) or 3 (YCbCr) components, component 0 carrying the largest
// sampling factors, restart markers at MCU-row starts. Samples come from a
// single-precision AAN inverse DCT, are truncated and divided by 8, chroma is
// replicated (no smoothing) and colour is converted with truncation. Every
// result is bit-for-bit the one of the plain bit-at-a-time algorithm kept in
// the tests; this one only gets there faster.
//
// Damaged entropy-coded data never stops a decode: a bit pattern matching no
// code within 16 bits reads as symbol 0 after 16 bits, a zero run past the
// last coefficient drops that coefficient and ends the block, and past the
// end of the data (the end of the file or a marker other than a restart)
// the last byte repeats. Such events are counted, and the row where the data
// ran out is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/byte_buffer.h"

struct JpegImage {
    int width = 0;
    int height = 0;
    ByteBuffer rgba;  // top row first, 4 bytes a pixel, alpha 255
};

struct JpegDecodeResult {
    bool ok = false;     // false: nothing decoded (image 0x0); reason says why
    std::string reason;
    int corruptCodes = 0;  // codes matching nothing, runs past coefficient 63
    // First pixel row of the MCU row in which the scan's data ran out (a
    // file cut short); -1 when the picture was complete before its end.
    int dataEndsAtRow = -1;
};

JpegDecodeResult decodeJpeg(const uint8_t* data, size_t size, JpegImage& image);
