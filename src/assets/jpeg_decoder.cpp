#include "assets/jpeg_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "assets/jpeg_state.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// GCC/Clang vector types: four lanes doing exactly the scalar operations, so
// results stay bit-identical to the one-float-at-a-time algorithm (the build
// forbids fused multiply-adds).
typedef float F4 __attribute__((vector_size(16)));
typedef int32_t I4 __attribute__((vector_size(16)));
typedef uint8_t U4 __attribute__((vector_size(4)));
typedef uint8_t U8 __attribute__((vector_size(8)));
typedef uint8_t U16 __attribute__((vector_size(16)));

constexpr int kLookBits = 9;
constexpr uint8_t kEndOfBlock = 0xFF;

// ---------------------------------------------------------------------------
// Entropy-coded data

// The scan's bytes as the byte-at-a-time reader would fetch them: stuffed
// 0xFF 0x00 pairs become 0xFF, markers vanish. A restart marker restarts the
// DC predictors when the data byte after it is fetched, so only its index
// is kept. Past the end, the last byte read repeats. Any other marker (the
// end of the image) or the end of the file ends the true data: bytes from
// index dataEnd on are stand-ins.
struct EntropyData {
    ByteBuffer bytes;
    std::vector<uint64_t> resets;
    uint8_t tail = 0;
    size_t dataEnd = 0;
};

bool isRestart(uint8_t m) { return m >= 0xD0 && m <= 0xD7; }

EntropyData extractEntropyData(JpegState& s) {
    EntropyData e;
    const uint8_t* p = s.data + s.position;
    const uint8_t* const end = s.data + s.size;
    // Every step consumes at least one byte and gives one.
    e.bytes.resize(static_cast<size_t>(end - p));
    uint8_t* out = e.bytes.data();
    uint8_t current = s.currentByte;
    bool dataEnded = false;
    while (p < end) {
        // Runs without 0xFF are copied as they stand.
        const uint8_t* ff = static_cast<const uint8_t*>(std::memchr(p, 0xFF, static_cast<size_t>(end - p)));
        const uint8_t* runEnd = ff ? ff : end;
        if (runEnd > p) {
            std::memcpy(out, p, static_cast<size_t>(runEnd - p));
            out += runEnd - p;
            current = runEnd[-1];
            p = runEnd;
        }
        if (!ff) break;
        current = *p++;
        // Fill bytes up to the marker; at the end of the file the 0xFF stays.
        bool atEnd = false;
        uint8_t m = current;
        for (;;) {
            if (p == end) {
                atEnd = true;
                break;
            }
            m = current = *p++;
            if (m != 0xFF) break;
        }
        if (!atEnd && isRestart(m)) e.resets.push_back(static_cast<uint64_t>(out - e.bytes.data()));
        if (!atEnd && m == 0x00) {
            current = 0xFF;
        } else if (p < end) {
            current = *p++;
        } else {
            atEnd = true;
        }
        if (!dataEnded && (atEnd || (m != 0x00 && !isRestart(m)))) {
            dataEnded = true;
            e.dataEnd = static_cast<size_t>(out - e.bytes.data());
        }
        *out++ = current;
    }
    e.bytes.resize(static_cast<size_t>(out - e.bytes.data()));
    if (!dataEnded) e.dataEnd = e.bytes.size();
    e.tail = current;
    s.position = s.size;
    s.currentByte = current;
    return e;
}

// Bits most significant first, 57 to 64 of them buffered after a refill.
struct BitReader {
    const uint8_t* begin;
    const uint8_t* p;
    const uint8_t* end;
    uint8_t tail;
    uint64_t buffer = 0;
    int bits = 0;
    uint64_t tailBytes = 0;

    void refill() {
        if (end - p >= 8) {
            // Bits below the counted bytes are the true next data, so the
            // next refill ORs the same values over them.
            uint64_t v;
            std::memcpy(&v, p, 8);
            buffer |= __builtin_bswap64(v) >> bits;
            const int n = (63 - bits) >> 3;
            p += n;
            bits += n * 8;
            return;
        }
        while (bits <= 56) {
            uint8_t b;
            if (p < end) {
                b = *p++;
            } else {
                b = tail;
                ++tailBytes;
            }
            buffer |= uint64_t{b} << (56 - bits);
            bits += 8;
        }
    }
    unsigned peek(int n) const { return static_cast<unsigned>(buffer >> (64 - n)); }
    void skip(int n) {
        buffer <<= n;
        bits -= n;
    }
    int get(int n) {
        const int v = static_cast<int>(peek(n));
        skip(n);
        return v;
    }
    uint64_t consumedBits() const { return (static_cast<uint64_t>(p - begin) + tailBytes) * 8 - bits; }
    // Drops what is left of the current byte.
    void alignToByte() {
        const int drop = bits & 7;
        buffer <<= drop;
        bits -= drop;
    }
};

// Code search by table: the first kLookBits bits give the symbol of every
// code up to that length; longer ones are found per length. Any table the
// header parser accepts works, including over-full ones whose 16-bit codes
// wrapped: entry j of length L has code (base[L] + j) mod 2^16, and the
// shortest length matching wins, as in the linear search.
struct FastHuffman {
    uint16_t lookup[1 << kLookBits];  // (length << 8) | symbol; 0 = longer or no code
    // AC codes whose value bits fit in the lookahead too: code and value in
    // one step. length 0: use lookup; run kEndOfBlock: symbol 0.
    struct Ac {
        int16_t value;
        uint8_t run;
        uint8_t length;
    } ac[1 << kLookBits];
    uint16_t base[17];
    uint16_t count[17];
    uint16_t offset[17];
    uint8_t symbols[256];
};

void buildFastHuffman(const HuffmanTable& t, FastHuffman& f) {
    int code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        const int n = t.counts[length - 1];
        f.base[length] = static_cast<uint16_t>(code);
        f.count[length] = static_cast<uint16_t>(n);
        f.offset[length] = static_cast<uint16_t>(k);
        k += n;
        code = (code + n) << 1;
    }
    std::memcpy(f.symbols, t.symbols, sizeof f.symbols);
    for (unsigned v = 0; v < (1u << kLookBits); ++v) {
        f.lookup[v] = 0;
        for (int length = 1; length <= kLookBits; ++length) {
            const unsigned j = ((v >> (kLookBits - length)) - f.base[length]) & 0xFFFF;
            if (j < f.count[length]) {
                f.lookup[v] = static_cast<uint16_t>(length << 8 | f.symbols[f.offset[length] + j]);
                break;
            }
        }
        f.ac[v] = {0, 0, 0};
        if (!f.lookup[v]) continue;
        const int length = f.lookup[v] >> 8, rs = f.lookup[v] & 0xFF, size = rs & 15;
        if (rs == 0) {
            f.ac[v] = {0, kEndOfBlock, static_cast<uint8_t>(length)};
        } else if (length + size <= kLookBits) {
            const int bits = static_cast<int>(v >> (kLookBits - length - size)) & ((1 << size) - 1);
            f.ac[v] = {static_cast<int16_t>(extendSign(size, bits)), static_cast<uint8_t>(rs >> 4),
                       static_cast<uint8_t>(length + size)};
        }
    }
}

// Needs 16 buffered bits.
inline int decodeHuffman(BitReader& br, const FastHuffman& h, int& corrupt) {
    const unsigned e = h.lookup[br.peek(kLookBits)];
    if (e) {
        br.skip(static_cast<int>(e >> 8));
        return static_cast<int>(e & 0xFF);
    }
    for (int length = kLookBits + 1; length <= 16; ++length) {
        const unsigned j = (br.peek(length) - h.base[length]) & 0xFFFF;
        if (j < h.count[length]) {
            br.skip(length);
            return h.symbols[h.offset[length] + j];
        }
    }
    br.skip(16);
    ++corrupt;
    return 0;
}

// ---------------------------------------------------------------------------
// Tables derived once from the zig-zag index

struct ZigzagTables {
    uint8_t natural[64];  // zig-zag position -> row * 8 + column
    float columnScale[64];
    float rowScale[64];
    ZigzagTables() {
        for (int n = 0; n < 64; ++n) {
            const int z = zigzagIndex[n];
            natural[z] = static_cast<uint8_t>(n);
            columnScale[z] = aanScale[n & 7];
            rowScale[z] = aanScale[n >> 3];
        }
    }
};
const ZigzagTables kZigzag;

// ---------------------------------------------------------------------------
// Inverse DCT and samples

template <class V>
inline void aan8(V& x0, V& x1, V& x2, V& x3, V& x4, V& x5, V& x6, V& x7) {
    const V c1414 = V{} + 1.414213562f;
    const V c1847 = V{} + 1.847759065f;
    const V c1082 = V{} + 1.082392200f;
    const V c2613 = V{} + 2.613125930f;
    const V t10 = x0 + x4, t11 = x0 - x4, t13 = x2 + x6;
    const V t12 = (x2 - x6) * c1414 - t13;
    const V e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;
    const V z13 = x5 + x3, z10 = x5 - x3, z11 = x1 + x7, z12 = x1 - x7;
    const V o7 = z11 + z13;
    const V o11 = (z11 - z13) * c1414;
    const V z5 = (z10 + z12) * c1847;
    const V o10 = c1082 * z12 - z5;
    const V o12 = z5 - c2613 * z10;
    const V o6 = o12 - o7, o5 = o11 - o6, o4 = o10 + o5;
    x0 = e0 + o7;
    x7 = e0 - o7;
    x1 = e1 + o6;
    x6 = e1 - o6;
    x2 = e2 + o5;
    x5 = e2 - o5;
    x4 = e3 + o4;
    x3 = e3 - o4;
}

inline void transpose4(F4& a, F4& b, F4& c, F4& d) {
    const F4 t0 = __builtin_shufflevector(a, b, 0, 4, 1, 5);
    const F4 t1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    const F4 t2 = __builtin_shufflevector(c, d, 0, 4, 1, 5);
    const F4 t3 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    a = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    b = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    c = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    d = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// Truncate, divide by 8 rounding down, centre, clamp. Values that large
// clamp anyway, so bounding them first keeps the conversion defined.
inline uint8_t sampleFromFloat(float f) {
    f = std::min(std::max(f, -65536.0f), 65536.0f);
    const int t = (static_cast<int>(f) >> 3) + 128;
    return static_cast<uint8_t>(std::clamp(t, 0, 255));
}

#if defined(__SSE2__)
inline void storeSamples(F4 left, F4 right, uint8_t* out) {
    const __m128 lo = _mm_set1_ps(-65536.0f), hi = _mm_set1_ps(65536.0f);
    const __m128i centre = _mm_set1_epi32(128);
    const __m128i a = _mm_add_epi32(_mm_srai_epi32(_mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(left, lo), hi)), 3), centre);
    const __m128i b = _mm_add_epi32(_mm_srai_epi32(_mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(right, lo), hi)), 3), centre);
    const __m128i words = _mm_packs_epi32(a, b);  // within +-8320: no saturation here
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}
#else
inline U4 samplesFromFloats(F4 f) {
    const F4 lo = F4{} - 65536.0f, hi = F4{} + 65536.0f;
    f = f < lo ? lo : f;
    f = f > hi ? hi : f;
    I4 t = (__builtin_convertvector(f, I4) >> 3) + 128;
    const I4 zero = I4{}, top = I4{} + 255;
    t = t < zero ? zero : t;
    t = t > top ? top : t;
    return __builtin_convertvector(t, U4);
}

inline void storeSamples(F4 left, F4 right, uint8_t* out) {
    const U8 row = __builtin_shufflevector(samplesFromFloats(left), samplesFromFloats(right), 0, 1, 2, 3, 4, 5, 6, 7);
    std::memcpy(out, &row, 8);
}
#endif

// Columns, then rows, in place on the natural-order block; writes 8x8
// samples and leaves the block zeroed for the next one.
void inverseDct(float* block, uint8_t* out, int stride) {
    F4 r[8][2];
    for (int i = 0; i < 8; ++i) {
        std::memcpy(&r[i][0], block + i * 8, 16);
        std::memcpy(&r[i][1], block + i * 8 + 4, 16);
    }
    std::memset(block, 0, 64 * sizeof(float));
    for (int h = 0; h < 2; ++h) aan8(r[0][h], r[1][h], r[2][h], r[3][h], r[4][h], r[5][h], r[6][h], r[7][h]);
    // After the first two transposes below, c[i][h] is column i of rows 4h..4h+3.
    F4 c[8][2] = {{r[0][0], r[4][0]}, {r[1][0], r[5][0]}, {r[2][0], r[6][0]}, {r[3][0], r[7][0]},
                  {r[0][1], r[4][1]}, {r[1][1], r[5][1]}, {r[2][1], r[6][1]}, {r[3][1], r[7][1]}};
    for (int h = 0; h < 2; ++h) {
        transpose4(c[0][h], c[1][h], c[2][h], c[3][h]);
        transpose4(c[4][h], c[5][h], c[6][h], c[7][h]);
        aan8(c[0][h], c[1][h], c[2][h], c[3][h], c[4][h], c[5][h], c[6][h], c[7][h]);
        transpose4(c[0][h], c[1][h], c[2][h], c[3][h]);
        transpose4(c[4][h], c[5][h], c[6][h], c[7][h]);
        // Now c[j][h] holds columns 0..3 (j < 4) or 4..7 of row 4h + (j & 3).
        for (int j = 0; j < 4; ++j) storeSamples(c[j][h], c[j + 4][h], out + (4 * h + j) * stride);
    }
}

// ---------------------------------------------------------------------------
// Colour

void expandGrey(const uint8_t* y, uint8_t* out, int n) {
    for (int i = 0; i < n; ++i) {
        out[4 * i + 0] = out[4 * i + 1] = out[4 * i + 2] = y[i];
        out[4 * i + 3] = 255;
    }
}

void convertYCbCr(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero8 = _mm_setzero_si128(), chromaCentre = _mm_set1_epi16(128), opaque = _mm_set1_epi16(255);
    const __m128 kr = _mm_set1_ps(1.402f), kgb = _mm_set1_ps(0.34414f), kgr = _mm_set1_ps(0.71414f),
                 kb = _mm_set1_ps(1.772f);
    for (; i + 8 <= n; i += 8) {
        const __m128i y16 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y + i)), zero8);
        const __m128i cb16 = _mm_sub_epi16(
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + i)), zero8), chromaCentre);
        const __m128i cr16 = _mm_sub_epi16(
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + i)), zero8), chromaCentre);
        __m128i r16[2], g16[2], b16[2];
        for (int half = 0; half < 2; ++half) {
            // Widen to 32 bits, signed for the chroma.
            const __m128i yw = half ? _mm_unpackhi_epi16(y16, zero8) : _mm_unpacklo_epi16(y16, zero8);
            const __m128i cbw = _mm_srai_epi32(half ? _mm_unpackhi_epi16(cb16, cb16) : _mm_unpacklo_epi16(cb16, cb16), 16);
            const __m128i crw = _mm_srai_epi32(half ? _mm_unpackhi_epi16(cr16, cr16) : _mm_unpacklo_epi16(cr16, cr16), 16);
            const __m128 fy = _mm_cvtepi32_ps(yw), fcb = _mm_cvtepi32_ps(cbw), fcr = _mm_cvtepi32_ps(crw);
            r16[half] = _mm_cvttps_epi32(_mm_add_ps(fy, _mm_mul_ps(kr, fcr)));
            g16[half] = _mm_cvttps_epi32(_mm_sub_ps(_mm_sub_ps(fy, _mm_mul_ps(kgb, fcb)), _mm_mul_ps(kgr, fcr)));
            b16[half] = _mm_cvttps_epi32(_mm_add_ps(fy, _mm_mul_ps(kb, fcb)));
        }
        // Saturating packs do the clamp to 0..255.
        const __m128i rg = _mm_packus_epi16(_mm_packs_epi32(r16[0], r16[1]), _mm_packs_epi32(g16[0], g16[1]));
        const __m128i ba = _mm_packus_epi16(_mm_packs_epi32(b16[0], b16[1]), opaque);
        const __m128i rgPairs = _mm_unpacklo_epi8(rg, _mm_srli_si128(rg, 8));
        const __m128i baPairs = _mm_unpacklo_epi8(ba, _mm_srli_si128(ba, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm_unpacklo_epi16(rgPairs, baPairs));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i + 16), _mm_unpackhi_epi16(rgPairs, baPairs));
    }
#else
    const I4 zero = I4{}, top = I4{} + 255;
    for (; i + 4 <= n; i += 4) {
        U4 yb, cbb, crb;
        std::memcpy(&yb, y + i, 4);
        std::memcpy(&cbb, cb + i, 4);
        std::memcpy(&crb, cr + i, 4);
        const F4 fy = __builtin_convertvector(__builtin_convertvector(yb, I4), F4);
        const F4 fcb = __builtin_convertvector(__builtin_convertvector(cbb, I4) - 128, F4);
        const F4 fcr = __builtin_convertvector(__builtin_convertvector(crb, I4) - 128, F4);
        I4 r = __builtin_convertvector(fy + 1.402f * fcr, I4);
        I4 g = __builtin_convertvector(fy - 0.34414f * fcb - 0.71414f * fcr, I4);
        I4 b = __builtin_convertvector(fy + 1.772f * fcb, I4);
        r = r < zero ? zero : (r > top ? top : r);
        g = g < zero ? zero : (g > top ? top : g);
        b = b < zero ? zero : (b > top ? top : b);
        const U4 rb = __builtin_convertvector(r, U4), gb = __builtin_convertvector(g, U4),
                 bb = __builtin_convertvector(b, U4), ab = U4{} + 255;
        const U8 rg = __builtin_shufflevector(rb, gb, 0, 4, 1, 5, 2, 6, 3, 7);
        const U8 ba = __builtin_shufflevector(bb, ab, 0, 4, 1, 5, 2, 6, 3, 7);
        const U16 rgba = __builtin_shufflevector(rg, ba, 0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
        std::memcpy(out + 4 * i, &rgba, 16);
    }
#endif
    for (; i < n; ++i) {
        const int Y = y[i], Cb = cb[i] - 128, Cr = cr[i] - 128;
        const int r = static_cast<int>(Y + 1.402f * Cr);
        const int g = static_cast<int>(Y - 0.34414f * Cb - 0.71414f * Cr);
        const int b = static_cast<int>(Y + 1.772f * Cb);
        out[4 * i + 0] = static_cast<uint8_t>(std::clamp(r, 0, 255));
        out[4 * i + 1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
        out[4 * i + 2] = static_cast<uint8_t>(std::clamp(b, 0, 255));
        out[4 * i + 3] = 255;
    }
}

// ---------------------------------------------------------------------------
// Scan

// One component's samples for the current MCU row, before replication.
struct Plane {
    int h = 1, v = 1;    // blocks per MCU
    int sx = 1, sy = 1;  // replication; 0 leaves the component unwritten
    int stride = 0;
    ByteBuffer samples;  // every byte is written by each MCU row's blocks
    ByteBuffer row;      // one replicated image row
    int cachedRow = -1;
    int32_t predictor = 0;
    float quant[64];
    const FastHuffman* dc = nullptr;
    const FastHuffman* ac = nullptr;
};

class ScanDecoder {
public:
    ScanDecoder(JpegState& s, JpegImage& image, JpegDecodeResult& result)
        : s_(s), image_(image), corrupt_(result.corruptCodes), dataEndsAtRow_(result.dataEndsAtRow) {}
    void run();

private:
    void decodeBlock(Plane& p, uint8_t* out);
    void applyResets();
    const uint8_t* componentRow(int k, int localY);

    JpegState& s_;
    JpegImage& image_;
    int& corrupt_;
    int& dataEndsAtRow_;
    EntropyData entropy_;
    BitReader reader_{};
    size_t nextReset_ = 0;
    int mcuWidth_ = 0;
    Plane planes_[3];
    FastHuffman huffman_[2][4];  // [ac][index]
    std::vector<uint8_t> zeros_;
    alignas(16) float block_[64] = {};
};

// A restart marker sets the predictors to 0 when the first bit after it is
// read; they are only looked at when a DC difference is added, so markers
// passed since are applied here.
void ScanDecoder::applyResets() {
    const uint64_t consumed = reader_.consumedBits();
    while (nextReset_ < entropy_.resets.size() && consumed > 8 * entropy_.resets[nextReset_]) {
        for (Plane& p : planes_) p.predictor = 0;
        ++nextReset_;
    }
}

void ScanDecoder::decodeBlock(Plane& p, uint8_t* out) {
    // A local copy stays in registers; stores into the block cannot alias it.
    BitReader br = reader_;
    int corrupt = 0;
    if (br.bits < 32) br.refill();
    const int s = decodeHuffman(br, *p.dc, corrupt) & 15;
    const int diff = s ? extendSign(s, br.get(s)) : 0;
    if (nextReset_ < entropy_.resets.size()) {
        reader_ = br;
        applyResets();
    }
    p.predictor = static_cast<int32_t>(static_cast<uint32_t>(p.predictor) + static_cast<uint32_t>(diff));
    block_[0] = p.quant[0] * static_cast<float>(p.predictor);
    bool anyAc = false;
    const FastHuffman& ac = *p.ac;
    for (int i = 1; i < 64;) {
        if (br.bits < 32) br.refill();
        const FastHuffman::Ac fast = ac.ac[br.peek(kLookBits)];
        int run, value;
        if (fast.length) {
            br.skip(fast.length);
            if (fast.run == kEndOfBlock) break;
            run = fast.run;
            value = fast.value;
        } else {
            const int rs = decodeHuffman(br, ac, corrupt);
            if (rs == 0) break;
            const int size = rs & 15;
            value = size ? extendSign(size, br.get(size)) : 0;
            run = rs >> 4;
        }
        i += run;
        if (i > 63) {
            ++corrupt;
            break;
        }
        if (value) {
            block_[kZigzag.natural[i]] =
                p.quant[i] * static_cast<float>(value) * kZigzag.columnScale[i] * kZigzag.rowScale[i];
            anyAc = true;
        }
        ++i;
    }
    reader_ = br;
    corrupt_ += corrupt;
    if (!out) {
        std::memset(block_, 0, sizeof block_);
        return;
    }
    if (anyAc) {
        inverseDct(block_, out, p.stride);
        return;
    }
    // DC alone: every output of the transform equals the DC term exactly.
    const uint8_t sample = sampleFromFloat(block_[0]);
    block_[0] = 0.0f;
    for (int row = 0; row < 8; ++row) std::memset(out + row * p.stride, sample, 8);
}

const uint8_t* ScanDecoder::componentRow(int k, int localY) {
    Plane& p = planes_[k];
    if (p.sx == 0 || p.sy == 0 || localY >= p.v * 8 * p.sy) return zeros_.data();
    const int planeRow = localY / p.sy;
    const uint8_t* src = p.samples.data() + static_cast<size_t>(planeRow) * p.stride;
    const int covered = p.h * 8 * p.sx;  // pixels of an MCU this component writes
    if (p.sx == 1 && covered == mcuWidth_) return src;
    if (p.cachedRow == planeRow) return p.row.data();
    p.cachedRow = planeRow;
    uint8_t* dst = p.row.data();
    const int width = image_.width;
    if (p.sx == 2 && covered == mcuWidth_) {
        for (int x = 0; x + 1 < width; x += 2) dst[x] = dst[x + 1] = src[x >> 1];
        if (width & 1) dst[width - 1] = src[(width - 1) >> 1];
    } else {
        for (int x = 0; x < width; ++x) {
            const int mcu = x / mcuWidth_, local = x % mcuWidth_;
            dst[x] = local < covered ? src[mcu * p.h * 8 + local / p.sx] : 0;
        }
    }
    return dst;
}

void ScanDecoder::run() {
    const int width = s_.width, height = s_.height, count = s_.componentCount;
    const int hmax = s_.components[0].h, vmax = s_.components[0].v;
    mcuWidth_ = 8 * hmax;
    const int mcuHeight = 8 * vmax;
    const int mcusX = (width + mcuWidth_ - 1) / mcuWidth_;
    const int mcusY = (height + mcuHeight - 1) / mcuHeight;

    bool built[2][4] = {};
    for (int k = 0; k < count; ++k) {
        const JpegComponent& c = s_.components[k];
        Plane& p = planes_[k];
        p.h = c.h;
        p.v = c.v;
        p.sx = k == 0 ? 1 : hmax / c.h;
        p.sy = k == 0 ? 1 : vmax / c.v;
        p.stride = mcusX * c.h * 8;
        if (p.sx > 0 && p.sy > 0) {
            p.samples.resize(static_cast<size_t>(p.stride) * c.v * 8);
            p.row.resize(width);
        }
        for (int i = 0; i < 64; ++i) p.quant[i] = static_cast<float>(s_.quantTables[c.quantTable][i]);
        const int tables[2] = {c.dcTable, c.acTable};
        for (int ac = 0; ac < 2; ++ac) {
            if (!built[ac][tables[ac]])
                buildFastHuffman(ac ? s_.acTables[tables[ac]] : s_.dcTables[tables[ac]], huffman_[ac][tables[ac]]);
            built[ac][tables[ac]] = true;
        }
        p.dc = &huffman_[0][c.dcTable];
        p.ac = &huffman_[1][c.acTable];
    }
    zeros_.assign(width, 0);

    entropy_ = extractEntropyData(s_);
    reader_.begin = reader_.p = entropy_.bytes.data();
    reader_.end = reader_.begin + entropy_.bytes.size();
    reader_.tail = entropy_.tail;

    image_.width = width;
    image_.height = height;
    // Every pixel is written below, so the buffer is not cleared first.
    image_.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (int mcuY = 0; mcuY < mcusY; ++mcuY) {
        if (s_.restartInterval > 0) reader_.alignToByte();
        for (int mcuX = 0; mcuX < mcusX; ++mcuX)
            for (int k = 0; k < count; ++k) {
                Plane& p = planes_[k];
                for (int by = 0; by < p.v; ++by)
                    for (int bx = 0; bx < p.h; ++bx) {
                        uint8_t* out = p.samples.empty()
                                           ? nullptr
                                           : p.samples.data() + static_cast<size_t>(by) * 8 * p.stride +
                                                 (mcuX * p.h + bx) * 8;
                        decodeBlock(p, out);
                    }
            }
        const int y0 = mcuY * mcuHeight;
        if (dataEndsAtRow_ < 0 && reader_.consumedBits() > 8 * static_cast<uint64_t>(entropy_.dataEnd))
            dataEndsAtRow_ = y0;
        const int rows = std::min(mcuHeight, height - y0);
        for (Plane& p : planes_) p.cachedRow = -1;
        for (int localY = 0; localY < rows; ++localY) {
            uint8_t* out = image_.rgba.data() + static_cast<size_t>(y0 + localY) * width * 4;
            const uint8_t* y = planes_[0].samples.data() + static_cast<size_t>(localY) * planes_[0].stride;
            if (count == 1)
                expandGrey(y, out, width);
            else
                convertYCbCr(y, componentRow(1, localY), componentRow(2, localY), out, width);
        }
    }
}

}  // namespace

JpegDecodeResult decodeJpeg(const uint8_t* data, size_t size, JpegImage& image) {
    JpegDecodeResult result;
    auto state = std::make_unique<JpegState>();
    clearJpegState(*state, data, size);
    if (parseHeaders(*state, result.reason) != HeaderResult::Scan) {
        image = JpegImage{};
        return result;
    }
    auto scan = std::make_unique<ScanDecoder>(*state, image, result);
    scan->run();
    result.ok = true;
    return result;
}
