#include "support/sanitized/jpeg_reference.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "assets/jpeg_state.h"

namespace {

struct Reader {
    JpegState& s;
    int bitPosition = 0;
    int32_t predictors[3] = {};
    int corrupt = 0;
    bool otherMarker = false;  // one that is neither a restart nor a stuffed 0xFF

    void fetch() {
        if (readByte(s) == 0xFF) {
            uint8_t m;
            do m = readByte(s);
            while (m == 0xFF && !s.atEnd);
            if (m >= 0xD0 && m <= 0xD7) predictors[0] = predictors[1] = predictors[2] = 0;
            if (m == 0x00)
                s.currentByte = 0xFF;
            else
                readByte(s);
            if (m != 0x00 && !(m >= 0xD0 && m <= 0xD7)) otherMarker = true;
        }
    }
    // A byte was needed from past the end of the file or after a marker that
    // ends the data.
    bool dataGone() const { return s.atEnd || otherMarker; }
    int readBit() {
        if (bitPosition == 0) fetch();
        const int bit = (s.currentByte >> (7 - bitPosition)) & 1;
        bitPosition = (bitPosition + 1) & 7;
        return bit;
    }
    int readBits(int n) {
        int v = 0;
        for (int i = 0; i < n; ++i) v = (v << 1) | readBit();
        return v;
    }
    int decodeHuffman(const HuffmanTable& t) {
        int code = 0;
        int k = 0;
        for (int length = 1; length <= 16; ++length) {
            code = (code << 1) | readBit();
            for (; k < 256 && t.codeLength[k] == length; ++k)
                if (code == t.code[k]) return t.symbols[k];
        }
        ++corrupt;
        return 0;
    }
};

void inverseDct(float* b) {
    auto pass = [](float* x0, float* x1, float* x2, float* x3, float* x4, float* x5, float* x6, float* x7) {
        const float t10 = *x0 + *x4, t11 = *x0 - *x4, t13 = *x2 + *x6;
        const float t12 = (*x2 - *x6) * 1.414213562f - t13;
        const float e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;
        const float z13 = *x5 + *x3, z10 = *x5 - *x3, z11 = *x1 + *x7, z12 = *x1 - *x7;
        const float o7 = z11 + z13;
        const float o11 = (z11 - z13) * 1.414213562f;
        const float z5 = (z10 + z12) * 1.847759065f;
        const float o10 = 1.082392200f * z12 - z5;
        const float o12 = z5 - 2.613125930f * z10;
        const float o6 = o12 - o7, o5 = o11 - o6, o4 = o10 + o5;
        *x0 = e0 + o7, *x7 = e0 - o7, *x1 = e1 + o6, *x6 = e1 - o6;
        *x2 = e2 + o5, *x5 = e2 - o5, *x4 = e3 + o4, *x3 = e3 - o4;
    };
    for (int c = 0; c < 8; ++c) pass(b + c, b + 8 + c, b + 16 + c, b + 24 + c, b + 32 + c, b + 40 + c, b + 48 + c, b + 56 + c);
    for (int r = 0; r < 8; ++r) {
        float* x = b + r * 8;
        pass(x, x + 1, x + 2, x + 3, x + 4, x + 5, x + 6, x + 7);
    }
}

int toSample(float f) {
    f = std::min(std::max(f, -65536.0f), 65536.0f);  // larger values clamp alike
    const int t = (static_cast<int>(f) >> 3) + 128;
    return std::clamp(t, 0, 255);
}

void decodeScan(JpegState& s, Reader& in, ByteBuffer& pixels, int& dataEndsAtRow) {
    const int width = s.width, height = s.height;
    const int hmax = s.components[0].h, vmax = s.components[0].v;
    float coef[64], block[64];
    for (int mcuY = 0; mcuY < height; mcuY += 8 * vmax) {
        if (s.restartInterval > 0) in.bitPosition = 0;
        for (int mcuX = 0; mcuX < width; mcuX += 8 * hmax)
            for (int k = 0; k < s.componentCount; ++k) {
                const JpegComponent& c = s.components[k];
                const int sx = k == 0 ? 1 : hmax / c.h, sy = k == 0 ? 1 : vmax / c.v;
                for (int by = 0; by < c.v; ++by)
                    for (int bx = 0; bx < c.h; ++bx) {
                        const int size = in.decodeHuffman(s.dcTables[c.dcTable]) & 15;
                        const int diff = extendSign(size, in.readBits(size));
                        in.predictors[k] = static_cast<int32_t>(static_cast<uint32_t>(in.predictors[k]) +
                                                                static_cast<uint32_t>(diff));
                        coef[0] = static_cast<float>(in.predictors[k]);
                        int i = 1;
                        for (;;) {
                            const int rs = in.decodeHuffman(s.acTables[c.acTable]);
                            if (rs == 0) {
                                while (i < 64) coef[i++] = 0;
                                break;
                            }
                            const int r = rs >> 4, sz = rs & 15;
                            if (i + r > 63) {
                                in.readBits(sz);  // the value is read, then dropped
                                ++in.corrupt;
                                while (i < 64) coef[i++] = 0;
                                break;
                            }
                            for (int j = 0; j < r; ++j) coef[i++] = 0;
                            coef[i] = static_cast<float>(extendSign(sz, in.readBits(sz)));
                            i += 1;
                            if (i >= 64) break;
                        }
                        const int32_t* q = s.quantTables[c.quantTable];
                        for (int row = 0; row < 8; ++row)
                            for (int col = 0; col < 8; ++col) {
                                const int n = row * 8 + col, z = zigzagIndex[n];
                                block[n] = q[z] * coef[z] * aanScale[col] * aanScale[row];
                            }
                        inverseDct(block);
                        for (int row = 0; row < 8; ++row)
                            for (int col = 0; col < 8; ++col) {
                                const uint8_t sample = static_cast<uint8_t>(toSample(block[row * 8 + col]));
                                for (int dy = 0; dy < sy; ++dy)
                                    for (int dx = 0; dx < sx; ++dx) {
                                        const int x = mcuX + (bx * 8 + col) * sx + dx;
                                        const int y = mcuY + (by * 8 + row) * sy + dy;
                                        if (x < width && y < height)
                                            pixels[(static_cast<size_t>(y) * width + x) * 4 + k] = sample;
                                    }
                            }
                    }
            }
        if (dataEndsAtRow < 0 && in.dataGone()) dataEndsAtRow = mcuY;
    }
}

void convertYCbCr(ByteBuffer& pixels) {
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const int Y = pixels[i], Cb = pixels[i + 1] - 128, Cr = pixels[i + 2] - 128;
        const float r = Y + 1.402f * Cr, g = Y - 0.34414f * Cb - 0.71414f * Cr, b = Y + 1.772f * Cb;
        pixels[i] = static_cast<uint8_t>(std::clamp(static_cast<int>(r), 0, 255));
        pixels[i + 1] = static_cast<uint8_t>(std::clamp(static_cast<int>(g), 0, 255));
        pixels[i + 2] = static_cast<uint8_t>(std::clamp(static_cast<int>(b), 0, 255));
        pixels[i + 3] = 255;
    }
}

void expandGrey(ByteBuffer& pixels) {
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i + 1] = pixels[i + 2] = pixels[i];
        pixels[i + 3] = 255;
    }
}

}  // namespace

JpegDecodeResult decodeJpegReference(const uint8_t* data, size_t size, JpegImage& image) {
    image = JpegImage{};
    JpegDecodeResult result;
    auto state = std::make_unique<JpegState>();
    clearJpegState(*state, data, size);
    if (parseHeaders(*state, result.reason) != HeaderResult::Scan) return result;
    image.width = state->width;
    image.height = state->height;
    image.rgba.assign(static_cast<size_t>(image.width) * image.height * 4, 0);
    Reader in{*state};
    decodeScan(*state, in, image.rgba, result.dataEndsAtRow);
    if (state->componentCount == 3)
        convertYCbCr(image.rgba);
    else
        expandGrey(image.rgba);
    result.ok = true;
    result.corruptCodes = in.corrupt;
    return result;
}
