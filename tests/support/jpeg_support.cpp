#include "support/jpeg_support.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

std::vector<uint8_t> jpegTestPattern(int width, int height, int channels, uint32_t seed) {
    std::vector<uint8_t> p(static_cast<size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>((seed >> 25) & 63) - 32;
            const bool block = ((x / 13) + (y / 11)) % 4 == 0;
            const double wave = 60.0 * std::sin(x * 0.31 + y * 0.07) * std::cos(y * 0.23);
            for (int c = 0; c < channels; ++c) {
                int v;
                if (block)
                    v = (c == 0 || (x / 13) % 2) ? 255 : 0;  // saturated red, white, and black edges
                else
                    v = static_cast<int>(40 + c * 50 + 120.0 * x / (width + 1) + wave) + noise;
                p[(static_cast<size_t>(y) * width + x) * channels + c] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    return p;
}

namespace {
struct Errors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};
void onError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<Errors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}
void quiet(j_common_ptr, int) {}
}  // namespace

bool decodeWithLibjpegFloat(const std::vector<uint8_t>& file, int& width, int& height, std::vector<uint8_t>& rgb,
                            std::string& error) {
    jpeg_decompress_struct d{};
    Errors errors{};
    d.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = quiet;
    if (setjmp(errors.jump)) {
        error = errors.message;
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    d.dct_method = JDCT_FLOAT;
    d.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&d);
    width = static_cast<int>(d.output_width);
    height = static_cast<int>(d.output_height);
    rgb.resize(static_cast<size_t>(width) * height * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = rgb.data() + static_cast<size_t>(d.output_scanline) * width * 3;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return true;
}

int maxRgbDifference(std::span<const uint8_t> rgb, std::span<const uint8_t> rgba) {
    if (rgb.size() / 3 != rgba.size() / 4) return 256;
    int worst = 0;
    for (size_t i = 0; i < rgb.size() / 3; ++i)
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(rgb[3 * i + c] - rgba[4 * i + c]));
    return worst;
}

bool splitJpeg(const std::vector<uint8_t>& file, JpegSegments& out) {
    out = {};
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return false;
    size_t i = 2;
    while (i + 4 <= file.size() && file[i] == 0xFF) {
        JpegSegments::Segment s;
        s.marker = file[i + 1];
        const size_t length = (file[i + 2] << 8) | file[i + 3];
        if (length < 2 || i + 2 + length > file.size()) return false;
        s.body.assign(file.begin() + i + 4, file.begin() + i + 2 + length);
        i += 2 + length;
        out.segments.push_back(std::move(s));
        if (out.segments.back().marker == 0xDA) {
            out.entropy.assign(file.begin() + i, file.end());
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> joinJpeg(const JpegSegments& parts) {
    std::vector<uint8_t> f = {0xFF, 0xD8};
    for (const auto& s : parts.segments) {
        const size_t length = s.body.size() + 2;
        f.insert(f.end(), {0xFF, static_cast<uint8_t>(s.marker), static_cast<uint8_t>(length >> 8),
                           static_cast<uint8_t>(length & 0xFF)});
        f.insert(f.end(), s.body.begin(), s.body.end());
    }
    f.insert(f.end(), parts.entropy.begin(), parts.entropy.end());
    return f;
}

std::vector<uint8_t> withWideQuantTables(const std::vector<uint8_t>& file) {
    JpegSegments parts;
    if (!splitJpeg(file, parts)) return {};
    for (auto& s : parts.segments) {
        if (s.marker != 0xDB) continue;
        std::vector<uint8_t> wide;
        for (size_t i = 0; i + 65 <= s.body.size(); i += 65) {
            wide.push_back(static_cast<uint8_t>(0x10 | (s.body[i] & 15)));
            for (int k = 1; k <= 64; ++k) wide.insert(wide.end(), {0, s.body[i + k]});
        }
        s.body = wide;
    }
    return joinJpeg(parts);
}

std::vector<uint8_t> withMergedTables(const std::vector<uint8_t>& file) {
    JpegSegments parts;
    if (!splitJpeg(file, parts)) return {};
    JpegSegments merged;
    merged.entropy = parts.entropy;
    for (auto& s : parts.segments) {
        bool joined = false;
        if (s.marker == 0xC4 || s.marker == 0xDB)
            for (auto& m : merged.segments)
                if (m.marker == s.marker) {
                    m.body.insert(m.body.end(), s.body.begin(), s.body.end());
                    joined = true;
                }
        if (!joined) merged.segments.push_back(s);
    }
    return joinJpeg(merged);
}
