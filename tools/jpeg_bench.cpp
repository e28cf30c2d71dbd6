// jpeg-bench: decode throughput of the program's JPEG decoder beside
// libjpeg-turbo on the same files, in one run.
//
//   jpeg-bench                 photo-like 1024x768 and 4000x3000 4:2:0 images
//   jpeg-bench A.jpg B.jpg     the given files
//
// The decoders take turns on each file for a few seconds; each one's best
// run counts. "cold ms" is our first decode of the file into a fresh image,
// as at start-up: new memory, page faults included. libjpeg-turbo decodes to RGBA like ours, once with its defaults
// (integer IDCT, smooth chroma) and once with the float IDCT and replicated
// chroma that ours resembles.
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "assets/data_file.h"
#include "assets/jpeg_decoder.h"
#include "jpeg_writer.h"

namespace {

struct Input {
    std::string name;
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
};

// Smooth shading, textures of several frequencies, hard edges and grain:
// roughly what a photograph gives an entropy coder.
std::vector<uint8_t> photoLike(int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float u = static_cast<float>(x) / width, v = static_cast<float>(y) / height;
            seed = seed * 1664525u + 1013904223u;
            const float grain = static_cast<float>((seed >> 24) & 31) - 16.0f;
            const float wave = 30.0f * std::sin(u * 40.0f + 8.0f * std::sin(v * 9.0f)) * std::cos(v * 25.0f);
            const bool disc = (u - 0.6f) * (u - 0.6f) + (v - 0.4f) * (v - 0.4f) < 0.04f;
            const bool bar = static_cast<int>(u * 23.0f) % 5 == 0 && v > 0.7f;
            float c[3] = {60.0f + 150.0f * u + wave, 90.0f + 100.0f * v - 0.5f * wave, 170.0f - 120.0f * u * v};
            if (disc) c[0] += 80.0f, c[2] -= 60.0f;
            if (bar) c[0] = c[1] = c[2] = 20.0f;
            for (int k = 0; k < 3; ++k) {
                const float value = c[k] + grain * (k == 1 ? 0.6f : 1.0f);
                rgb[(static_cast<size_t>(y) * width + x) * 3 + k] =
                    static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
            }
        }
    return rgb;
}

struct LibjpegError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onLibjpegError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<LibjpegError*>(cinfo->err)->jump, 1); }

bool decodeLibjpeg(const std::vector<uint8_t>& file, bool floatNoSmooth, std::vector<uint8_t>& out) {
    jpeg_decompress_struct d{};
    LibjpegError errors{};
    d.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onLibjpegError;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_EXT_RGBA;
    if (floatNoSmooth) {
        d.dct_method = JDCT_FLOAT;
        d.do_fancy_upsampling = FALSE;
    }
    jpeg_start_decompress(&d);
    out.resize(static_cast<size_t>(d.output_width) * d.output_height * 4);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = out.data() + static_cast<size_t>(d.output_scanline) * d.output_width * 4;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return true;
}

// Round after round, each decoder once per round, so all see the same
// load on a shared machine; the best round of each counts.
template <class... F>
std::vector<double> bestSeconds(F... decoders) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> best(sizeof...(F), 1e30);
    double total = 0;
    for (int round = 0; round < 5 || total < 3.0; ++round) {
        size_t k = 0;
        auto time = [&](auto& decode) {
            const auto start = Clock::now();
            decode();
            const double s = std::chrono::duration<double>(Clock::now() - start).count();
            best[k] = std::min(best[k], s);
            total += s;
            ++k;
        };
        (time(decoders), ...);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Input> inputs;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            Input in;
            in.name = argv[i];
            ByteBuffer bytes;
            const DataRead read = readDataFile(argv[i], DataKind::Image, bytes);
            if (!read) {
                std::fprintf(stderr, "jpeg-bench: %s: %s\n", argv[i], read.problem.c_str());
                return 1;
            }
            in.bytes.assign(bytes.begin(), bytes.end());
            inputs.push_back(std::move(in));
        }
    } else {
        const int sizes[2][2] = {{1024, 768}, {4000, 3000}};
        for (const auto& s : sizes) {
            JpegWriteOptions o;
            o.quality = 90;
            o.sampling = JpegSampling::S420;
            std::string error;
            Input in;
            in.name = "photo-like " + std::to_string(s[0]) + "x" + std::to_string(s[1]) + " 4:2:0 q90";
            in.bytes = encodeJpeg(photoLike(s[0], s[1]).data(), s[0], s[1], 3, o, error);
            if (in.bytes.empty()) {
                std::fprintf(stderr, "jpeg-bench: %s\n", error.c_str());
                return 1;
            }
            inputs.push_back(std::move(in));
        }
    }

    std::printf("%-36s %9s %9s %9s %7s %7s %8s\n", "image", "ours", "turbo", "turbo-fl", "ratio", "ratio-fl", "cold");
    std::printf("%-36s %9s %9s %9s %7s %7s %8s\n", "", "MP/s", "MP/s", "MP/s", "", "", "ms");
    for (const Input& in : inputs) {
        JpegImage image;
        const auto coldStart = std::chrono::steady_clock::now();
        const JpegDecodeResult r = decodeJpeg(in.bytes.data(), in.bytes.size(), image);
        const double coldMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - coldStart).count();
        std::vector<uint8_t> pixels;
        if (!r.ok || !decodeLibjpeg(in.bytes, false, pixels)) {
            std::fprintf(stderr, "jpeg-bench: %s: not decodable by both (%s)\n", in.name.c_str(), r.reason.c_str());
            return 1;
        }
        const double mp = image.width * static_cast<double>(image.height) / 1e6;
        const std::vector<double> seconds =
            bestSeconds([&] { decodeJpeg(in.bytes.data(), in.bytes.size(), image); },
                        [&] { decodeLibjpeg(in.bytes, false, pixels); }, [&] { decodeLibjpeg(in.bytes, true, pixels); });
        const double ours = mp / seconds[0], turbo = mp / seconds[1], turboFloat = mp / seconds[2];
        std::printf("%-36s %9.1f %9.1f %9.1f %7.2f %7.2f %8.1f\n", in.name.c_str(), ours, turbo, turboFloat,
                    ours / turbo, ours / turboFloat, coldMs);
    }
    std::printf("ratio: ours / libjpeg-turbo defaults; ratio-fl: ours / libjpeg-turbo float IDCT, no smoothing\n");
    return 0;
}
