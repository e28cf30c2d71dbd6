// The decoding algorithm in its plainest form: one bit per call, codes found
// by a linear search per length, one block at a time written straight into
// the RGBA pixels. Slow on purpose; the fast decoder must give exactly its
// bytes for every file, damaged ones included.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/jpeg_decoder.h"

JpegDecodeResult decodeJpegReference(const uint8_t* data, size_t size, JpegImage& image);
