// The headers of one baseline JPEG file: frame, tables, and where the
// entropy-coded data of its one scan begins. The fast decoder and the
// bit-at-a-time check in the tests both start from here.
//
//   JpegState state;
//   clearJpegState(state, bytes, size);
//   std::string reason;
//   if (parseHeaders(state, reason) == HeaderResult::Scan)
//       ... entropy data starts at state.data + state.position
//
// parseHeaders refuses, with a reason, everything the decoders could not
// handle safely: table indices above 3, more than 256 Huffman codes in one
// table, component counts other than 1 and 3, sampling factors of 0, sizes
// above the limits below, segments shorter than their own length field, and
// files that end before the scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Larger images are refused before anything is allocated for them.
constexpr int kMaxJpegSide = 16384;
constexpr int64_t kMaxJpegPixels = int64_t{1} << 26;  // 256 MiB of RGBA

struct HuffmanTable {
    uint8_t counts[16];       // codes of length 1..16
    uint8_t symbols[256];     // in code order
    uint8_t codeLength[256];  // 0 past the last code
    uint16_t code[256];       // right-aligned
};

struct JpegComponent {
    int32_t id;
    int32_t h;  // sampling factors
    int32_t v;
    int32_t quantTable;
    int32_t dcTable;
    int32_t acTable;
};

struct JpegState {
    // The whole file in memory stands in for an open file.
    const uint8_t* data;
    size_t size;
    size_t position;
    bool atEnd;           // a read went past the last byte
    uint8_t currentByte;  // the last byte read; kept unchanged at the end

    int32_t width;
    int32_t height;
    int32_t precision;
    int32_t componentCount;
    int32_t restartInterval;  // in MCUs, 0 = none
    JpegComponent components[3];
    HuffmanTable acTables[4];
    HuffmanTable dcTables[4];
    int32_t quantTables[4][64];  // zig-zag order, as in the file
    int32_t spectralStart;
    int32_t spectralEnd;
    int32_t approximationHigh;
    int32_t approximationLow;
};

// Natural position (row * 8 + column) -> zig-zag position.
extern const int32_t zigzagIndex[64];
// sqrt(2) * cos(k * pi / 16), with 1.0 for k = 0.
extern const float aanScale[8];

void clearJpegState(JpegState& state, const uint8_t* data, size_t size);
// At the end of the data the current byte is returned again and atEnd set.
uint8_t readByte(JpegState& state);
int readWord(JpegState& state);

enum class HeaderResult {
    Scan,         // a decodable frame; state.position is the first entropy-coded byte
    Unsupported,  // another frame type (progressive, lossless, ...): an empty image
    Refused,      // broken or beyond this decoder: an empty image, reason says why
};
HeaderResult parseHeaders(JpegState& state, std::string& reason);

// The EXTEND procedure: value read in n bits -> signed coefficient.
inline int extendSign(int n, int value) {
    if (n == 0) return 0;
    return (value & (1 << (n - 1))) ? value : value - ((1 << n) - 1);
}
