// The JPEG decoder on a byte buffer, the way a texture's file reaches it.
// Small pictures are also decoded by the plain bit-at-a-time algorithm of
// the tests: the two must agree on every byte, damaged files included.
#include <string>

#include "assets/jpeg_decoder.h"
#include "assets/jpeg_state.h"
#include "fuzz_target.h"
#include "support/sanitized/jpeg_reference.h"

namespace {

// Any size up to the decoder's limit is valid, but a few bytes can ask for
// 64 megapixels of repeated padding; the work per MCU is the same at any
// size, so the fuzzer's time goes to more inputs instead.
constexpr long kMaxPixels = 1 << 16;
constexpr long kMaxComparedPixels = 1 << 14;

long declaredPixels(const uint8_t* data, size_t size) {
    JpegState state;
    clearJpegState(state, data, size);
    std::string reason;
    if (parseHeaders(state, reason) != HeaderResult::Scan) return 0;
    return static_cast<long>(state.width) * state.height;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const long pixels = declaredPixels(data, size);
    if (pixels > kMaxPixels) return 0;
    JpegImage image;
    const JpegDecodeResult r = decodeJpeg(data, size, image);
    if (r.ok != (pixels > 0)) fuzzTrap("the decoder and the header parser disagree");
    if (r.ok && image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)
        fuzzTrap("the pixel buffer does not match the picture's size");
    if (r.dataEndsAtRow >= image.height && image.height > 0) fuzzTrap("the data ends below the picture");
    if (pixels > kMaxComparedPixels) return 0;
    JpegImage plain;
    const JpegDecodeResult p = decodeJpegReference(data, size, plain);
    if (p.ok != r.ok || p.reason != r.reason || p.corruptCodes != r.corruptCodes ||
        p.dataEndsAtRow != r.dataEndsAtRow || plain.width != image.width || plain.height != image.height ||
        plain.rgba != image.rgba)
        fuzzTrap("the fast decoder differs from the plain algorithm");
    return 0;
}
