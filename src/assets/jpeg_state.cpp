#include "assets/jpeg_state.h"

#include <cstdio>
#include <cstring>

const int32_t zigzagIndex[64] = {
    0,  1,  5,  6,  14, 15, 27, 28,  //
    2,  4,  7,  13, 16, 26, 29, 42,  //
    3,  8,  12, 17, 25, 30, 41, 43,  //
    9,  11, 18, 24, 31, 40, 44, 53,  //
    10, 19, 23, 32, 39, 45, 52, 54,  //
    20, 22, 33, 38, 46, 51, 55, 60,  //
    21, 34, 37, 47, 50, 56, 59, 61,  //
    35, 36, 48, 49, 57, 58, 62, 63,
};

const float aanScale[8] = {1.0f, 1.3870399f, 1.306563f, 1.1758755f, 1.0f, 0.78569496f, 0.5411961f, 0.27589938f};

namespace {

std::string format(const char* fmt, long a, long b = 0, long c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, fmt, a, b, c);
    return text;
}

// Codes are handed out in order of length; the running code is kept wider
// than the stored 16 bits so an over-full table cannot wrap it back to 0.
void generateCodes(HuffmanTable& table) {
    int code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < table.counts[length - 1]; ++i) {
            table.codeLength[k] = static_cast<uint8_t>(length);
            table.code[k] = static_cast<uint16_t>(code);
            code += 1;
            k += 1;
        }
        code <<= 1;
    }
}

bool readHuffmanTables(JpegState& s, int remaining, std::string& reason) {
    while (remaining > 0 && !s.atEnd) {
        const int b = readByte(s);
        const int index = b & 15;
        if (index > 3) {
            reason = format("Huffman table index %ld is out of range (0..3)", index);
            return false;
        }
        HuffmanTable& table = (b & 0x10) ? s.acTables[index] : s.dcTables[index];
        std::memset(&table, 0, sizeof table);
        int total = 0;
        for (int i = 0; i < 16; ++i) {
            table.counts[i] = readByte(s);
            total += table.counts[i];
        }
        if (total > 256) {
            reason = format("Huffman table declares %ld codes (at most 256)", total);
            return false;
        }
        for (int i = 0; i < total; ++i) table.symbols[i] = readByte(s);
        generateCodes(table);
        remaining -= 17 + total;
    }
    return true;
}

bool readQuantTables(JpegState& s, int remaining, std::string& reason) {
    while (remaining > 0 && !s.atEnd) {
        const int b = readByte(s);
        const int precision = b >> 4;
        const int index = b & 15;
        if (index > 3) {
            reason = format("quantisation table index %ld is out of range (0..3)", index);
            return false;
        }
        for (int i = 0; i < 64; ++i) s.quantTables[index][i] = precision ? readWord(s) : readByte(s);
        remaining -= precision ? 129 : 65;
    }
    return true;
}

bool readFrame(JpegState& s, int length, std::string& reason) {
    s.precision = readByte(s);
    s.height = readWord(s);
    s.width = readWord(s);
    const int count = readByte(s);
    if (length - 8 != 3 * count) {
        reason = format("frame header length %ld does not fit its %ld components", length, count);
        return false;
    }
    if (count > 3) {
        reason = format("%ld components (only 1 or 3 are decoded)", count);
        return false;
    }
    s.componentCount = count;
    for (int k = 0; k < count; ++k) {
        JpegComponent& c = s.components[k];
        c.id = readByte(s);
        const int b = readByte(s);
        c.h = b >> 4;
        c.v = b & 15;
        c.quantTable = readByte(s);
        if (c.quantTable > 3) {
            reason = format("component %ld uses quantisation table %ld (0..3)", k, c.quantTable);
            return false;
        }
    }
    return true;
}

bool readScanHeader(JpegState& s, std::string& reason) {
    const int n = readByte(s);
    for (int i = 0; i < n; ++i) {
        const int id = readByte(s);
        const int b = readByte(s);
        if ((b >> 4) > 3 || (b & 15) > 3) {
            reason = format("scan uses Huffman tables %ld/%ld (0..3)", b >> 4, b & 15);
            return false;
        }
        for (JpegComponent& c : s.components)
            if (c.id == id) {
                c.dcTable = b >> 4;
                c.acTable = b & 15;
            }
    }
    s.spectralStart = readByte(s);
    s.spectralEnd = readByte(s);
    const int b = readByte(s);
    s.approximationHigh = b >> 4;
    s.approximationLow = b & 15;
    return true;
}

// What the scan decoders rely on: a frame seen, a size worth allocating,
// one or three components, no zero sampling factor (a zero would stall the
// MCU loop or divide by zero).
bool checkFrame(const JpegState& s, bool sawFrame, std::string& reason) {
    if (!sawFrame) {
        reason = "scan before any baseline frame header";
        return false;
    }
    if (s.width == 0 || s.height == 0) {
        reason = format("image is %ldx%ld pixels", s.width, s.height);
        return false;
    }
    if (s.width > kMaxJpegSide || s.height > kMaxJpegSide ||
        int64_t{s.width} * s.height > kMaxJpegPixels) {
        reason = format("image is %ldx%ld; sides above %ld pixels or more than 64 megapixels are refused",
                        s.width, s.height, kMaxJpegSide);
        return false;
    }
    if (s.componentCount != 1 && s.componentCount != 3) {
        reason = format("%ld components (only 1 or 3 are decoded)", s.componentCount);
        return false;
    }
    for (int k = 0; k < s.componentCount; ++k)
        if (s.components[k].h == 0 || s.components[k].v == 0) {
            reason = format("component %ld has a sampling factor of 0", k);
            return false;
        }
    return true;
}

const char* frameName(int marker) {
    switch (marker) {
        case 0xC1: return "extended sequential";
        case 0xC2: return "progressive";
        case 0xC3: return "lossless";
        case 0xC9:
        case 0xCA:
        case 0xCB: return "arithmetic-coded";
        default: return "hierarchical";
    }
}

}  // namespace

void clearJpegState(JpegState& state, const uint8_t* data, size_t size) {
    std::memset(&state, 0, sizeof state);
    state.data = data;
    state.size = size;
}

uint8_t readByte(JpegState& s) {
    if (s.position < s.size)
        s.currentByte = s.data[s.position++];
    else
        s.atEnd = true;
    return s.currentByte;
}

int readWord(JpegState& s) {
    const int high = readByte(s);
    return (high << 8) | readByte(s);
}

HeaderResult parseHeaders(JpegState& s, std::string& reason) {
    bool sawFrame = false;
    for (;;) {
        const size_t at = s.position;
        const int b = readByte(s);
        if (s.atEnd) break;
        if (b != 0xFF) {
            reason = format("no marker at byte %ld", static_cast<long>(at));
            return HeaderResult::Refused;
        }
        const int m = readByte(s);
        if (s.atEnd) break;
        if (m == 0xD8) continue;
        if ((m >= 0xC1 && m <= 0xC3) || (m >= 0xC5 && m <= 0xCB) || (m >= 0xCD && m <= 0xCF)) {
            reason = std::string(frameName(m)) + " JPEG (SOF" + std::to_string(m - 0xC0) +
                     "); only baseline frames are decoded";
            return HeaderResult::Unsupported;
        }
        if (m == 0xD9) {
            reason = "end of image before the scan";
            return HeaderResult::Refused;
        }
        const int length = readWord(s);
        if (s.atEnd) break;
        // A length below 2 would make the skip go backwards, round and round.
        if (length < 2) {
            reason = format("segment 0xFF%02lX at byte %ld has length %ld", m, static_cast<long>(at), length);
            return HeaderResult::Refused;
        }
        const int remaining = length - 2;
        bool ok = true;
        switch (m) {
            case 0xC0:
                ok = readFrame(s, length, reason);
                sawFrame = ok;
                break;
            case 0xC4: ok = readHuffmanTables(s, remaining, reason); break;
            case 0xDB: ok = readQuantTables(s, remaining, reason); break;
            case 0xDD: s.restartInterval = readWord(s); break;
            case 0xDA:
                if (!readScanHeader(s, reason)) return HeaderResult::Refused;
                if (s.atEnd) break;
                return checkFrame(s, sawFrame, reason) ? HeaderResult::Scan : HeaderResult::Refused;
            default:
                if (s.size - s.position < static_cast<size_t>(remaining)) {
                    s.position = s.size;
                    s.atEnd = true;
                } else {
                    s.position += remaining;
                }
                break;
        }
        if (!ok) return HeaderResult::Refused;
        if (s.atEnd) break;
    }
    reason = "file ends before the scan";
    return HeaderResult::Refused;
}
