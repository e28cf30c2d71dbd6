#include "music_report.h"

#include <fftw3.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <tuple>

#include "runtime/timeline/clock_math.h"
#include "runtime/timeline/timeline.h"
#include "score.h"
#include "synth/effects.h"

namespace {

constexpr int kColumnsPerSecond = 10;
constexpr int kSpectrumHeight = 400;
constexpr int kLowBandHeight = 100;
constexpr double kLowBandTop = 1.2;  // the low band strip's full height
constexpr int kFft = 4096;
constexpr double kLowestHz = 30.0, kHighestHz = 16000.0;

struct Rgb {
    uint8_t r, g, b;
};

// Dark blue through purple and orange to pale yellow, by level 0..1.
Rgb heat(double x) {
    x = std::clamp(x, 0.0, 1.0);
    const double r = std::clamp(1.6 * x - 0.15, 0.0, 1.0);
    const double g = std::clamp(2.0 * x - 1.0, 0.0, 1.0);
    const double b = std::clamp(x < 0.4 ? 0.2 + 1.5 * x : 0.8 - 1.3 * (x - 0.4), 0.0, 1.0);
    return {static_cast<uint8_t>(255 * r), static_cast<uint8_t>(255 * g), static_cast<uint8_t>(255 * b)};
}

double lowBandAt(std::span<const float> stereo, int sampleRate, double ms) {
    float bins[512];
    const int64_t frames = static_cast<int64_t>(stereo.size() / 2);
    clockmath::computeSpectrum(stereo.data(), frames, std::llround(ms * sampleRate / 1000.0), bins);
    double sum = 0.0;
    for (int k = 2; k <= 6; ++k) sum += bins[k];
    return sum;
}

struct PngFile {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngFile() {
        if (png) png_destroy_write_struct(&png, &info);
        if (file) std::fclose(file);
    }
};

bool writePng(const std::string& path, int width, int height, const std::vector<Rgb>& pixels, std::string& error) {
    PngFile out;
    out.file = std::fopen(path.c_str(), "wb");
    if (!out.file) {
        error = path + ": cannot open for writing";
        return false;
    }
    out.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    out.info = out.png ? png_create_info_struct(out.png) : nullptr;
    if (!out.info) {
        error = "cannot start the PNG writer";
        return false;
    }
    if (setjmp(png_jmpbuf(out.png))) {
        error = path + ": PNG writing failed";
        return false;
    }
    png_init_io(out.png, out.file);
    png_set_IHDR(out.png, out.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(out.png, out.info);
    for (int y = 0; y < height; ++y)
        png_write_row(out.png, reinterpret_cast<png_const_bytep>(&pixels[static_cast<size_t>(y) * width]));
    png_write_end(out.png, nullptr);
    return true;
}

}  // namespace

std::vector<SceneLowBand> lowBandPerScene(std::span<const float> stereo, int sampleRate) {
    std::vector<SceneLowBand> result;
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const double start = sceneStartMs[scene];
        const double end = std::min(sceneStartMs[scene + 1], kPresentationEndMs);
        std::vector<double> values;
        for (double ms = start; ms < end; ms += 1000.0 / 60.0) values.push_back(lowBandAt(stereo, sampleRate, ms));
        double sum = 0.0;
        for (double v : values) sum += v;
        std::sort(values.begin(), values.end());
        const size_t p95 = std::min(values.size() - 1, static_cast<size_t>(0.95 * values.size()));
        result.push_back({scene, start, end, sum / values.size(), values[p95]});
    }
    return result;
}

MusicLoudness measureLoudness(std::span<const float> stereo) {
    synth::Buffer buffer;
    buffer.samples.assign(stereo.begin(), stereo.end());
    const std::vector<double> shortTerm = synth::shortTermLoudness(buffer);
    // The short-term values of the windows inside a scene.
    auto windowsIn = [&shortTerm](int scene) {
        std::vector<double> inside;
        for (size_t j = 0; j < shortTerm.size(); ++j) {
            const double end = 3000.0 + 100.0 * static_cast<double>(j);
            if (end - 3000.0 >= sceneStartMs[scene] && end <= std::min(sceneStartMs[scene + 1], kPresentationEndMs))
                inside.push_back(shortTerm[j]);
        }
        return inside;
    };
    auto median = [](std::vector<double> v) {
        if (v.empty()) return -70.0;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    MusicLoudness result{synth::integratedLoudness(buffer), synth::loudnessRange(buffer), {}, 0.0};
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const long long from = synth::frameAt(sceneStartMs[scene]);
        const long long to = std::min(synth::frameAt(std::min(sceneStartMs[scene + 1], kPresentationEndMs)), buffer.frames());
        synth::Buffer part(std::max(0LL, to - from));
        std::copy(stereo.begin() + 2 * from, stereo.begin() + 2 * (from + part.frames()), part.samples.begin());
        result.scenes.push_back({scene, synth::integratedLoudness(part), median(windowsIn(scene))});
    }
    std::vector<double> peak;
    for (int scene : {3, 8, 9})
        for (double v : windowsIn(scene)) peak.push_back(v);
    result.peakMedian = median(peak);
    return result;
}

std::vector<EventAttack> eventAttacks(std::span<const float> stereo, int sampleRate) {
    // Energy above 4 kHz in each millisecond, the hops starting on the frame
    // nearest to each whole millisecond so that they never drift.
    synth::Svf high;
    high.set(4000.0, 0.0);
    const long long frames = static_cast<long long>(stereo.size() / 2);
    auto frameOfMs = [sampleRate](long long ms) { return std::llround(ms * sampleRate / 1000.0); };
    std::vector<double> energy;
    double sum = 0.0;
    for (long long i = 0, next = frameOfMs(1); i < frames; ++i) {
        if (i == next) {
            energy.push_back(sum);
            sum = 0.0;
            next = frameOfMs(static_cast<long long>(energy.size()) + 1);
        }
        const float h = high.highpass(0.5f * (stereo[2 * i] + stereo[2 * i + 1]));
        sum += static_cast<double>(h) * h;
    }
    constexpr int kAfterMs = 60, kBeforeMs = 100;
    auto meanOver = [&energy](long long from, long long to) {
        double total = 0.0;
        for (long long ms = std::max(0LL, from); ms < std::min<long long>(to, energy.size()); ++ms) total += energy[ms];
        return total / static_cast<double>(to - from) + 1e-15;
    };
    std::vector<EventAttack> result;
    for (const auto& [table, count, name] : {std::tuple{syncTrackA, kTrackACount, 'A'}, {syncTrackB, kTrackBCount, 'B'}})
        for (int i = 0; i < count - 1 && table[i] < kPresentationEndMs; ++i) {
            const long long ms = table[i];
            const double rise = 10.0 * std::log10(meanOver(ms, ms + kAfterMs) / meanOver(ms - kBeforeMs, ms));
            result.push_back({name, table[i], rise});
        }
    return result;
}

bool writeSpectrogramPng(const std::string& path, std::span<const float> stereo, int sampleRate,
                         std::string& error) {
    const long long frames = static_cast<long long>(stereo.size() / 2);
    const int width = static_cast<int>(frames * kColumnsPerSecond / sampleRate);
    const int height = kSpectrumHeight + kLowBandHeight;
    std::vector<Rgb> image(static_cast<size_t>(width) * height, Rgb{0, 0, 0});
    auto put = [&](int x, int y, Rgb c) {
        if (x >= 0 && x < width && y >= 0 && y < height) image[static_cast<size_t>(y) * width + x] = c;
    };

    float* input = fftwf_alloc_real(kFft);
    fftwf_complex* output = fftwf_alloc_complex(kFft / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(kFft, input, output, FFTW_ESTIMATE);
    double windowSum = 0.0;
    for (int n = 0; n < kFft; ++n) windowSum += 0.5 - 0.5 * std::cos(2.0 * M_PI * n / kFft);
    for (int x = 0; x < width; ++x) {
        const long long centre = static_cast<long long>(x) * sampleRate / kColumnsPerSecond;
        for (int n = 0; n < kFft; ++n) {
            const long long f = centre - kFft / 2 + n;
            const float mono = (f >= 0 && f < frames) ? 0.5f * (stereo[2 * f] + stereo[2 * f + 1]) : 0.0f;
            input[n] = mono * static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * n / kFft));
        }
        fftwf_execute(plan);
        for (int y = 0; y < kSpectrumHeight; ++y) {
            // Row y covers one slice of the log-frequency axis, top = highest.
            const double hz = kLowestHz * std::pow(kHighestHz / kLowestHz, 1.0 - (y + 0.5) / kSpectrumHeight);
            const int bin = std::clamp(static_cast<int>(std::lround(hz * kFft / sampleRate)), 1, kFft / 2);
            const double magnitude = 2.0 * std::hypot(output[bin][0], output[bin][1]) / windowSum;
            const double db = 20.0 * std::log10(magnitude + 1e-12);
            put(x, y, heat((db + 110.0) / 100.0));
        }
        const double level = lowBandAt(stereo, sampleRate, x * 1000.0 / kColumnsPerSecond);
        const int top = height - 1 - static_cast<int>(std::min(level, kLowBandTop) / kLowBandTop * (kLowBandHeight - 4));
        for (int y = top; y < height; ++y) put(x, y, Rgb{40, 200, 90});
    }
    fftwf_destroy_plan(plan);
    fftwf_free(input);
    fftwf_free(output);

    auto column = [&](double ms) { return static_cast<int>(std::lround(ms * kColumnsPerSecond / 1000.0)); };
    for (int s = 0; s < kSceneCount; ++s)
        for (int y = 0; y < height; ++y) put(column(sceneStartMs[s]), y, Rgb{255, 255, 255});
    for (int i = 0; i < kTrackBCount - 1; ++i)
        for (int y = 0; y < 24; ++y) put(column(syncTrackB[i]), y, Rgb{255, 220, 0});
    for (int i = 0; i < kTrackACount - 1; ++i)
        for (int y = 0; y < 48; ++y) put(column(syncTrackA[i]), y, Rgb{255, 40, 40});
    // Dotted lines where the low band sum reads 0.3 and 1.
    for (double mark : {0.3, 1.0})
        for (int x = 0; x < width; x += 4)
            put(x, height - 1 - static_cast<int>(mark / kLowBandTop * (kLowBandHeight - 4)), Rgb{200, 200, 200});
    return writePng(path, width, height, image, error);
}

int writeMusicReport(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::vector<float> music = renderScore();
    const std::string png = (std::filesystem::path(dir) / "music.png").string();
    std::string error;
    if (!writeSpectrogramPng(png, music, kMusicSampleRate, error)) {
        std::fprintf(stderr, "afterglow-content: %s\n", error.c_str());
        return 1;
    }
    std::printf("spectrogram: %s\n", png.c_str());
    std::printf("spectrum bins 2-6 (sum), per scene, sampled at 60 frames a second:\n");
    std::printf("scene  start ms   end ms    mean    p95\n");
    for (const SceneLowBand& s : lowBandPerScene(music, kMusicSampleRate))
        std::printf("%5d  %8.0f  %8.0f  %6.3f  %6.3f\n", s.scene, s.startMs, s.endMs, s.mean, s.p95);
    const MusicLoudness loudness = measureLoudness(music);
    std::printf("loudness per scene before encoding (LUFS; the MP3 reads about 0.3 LU lower), integrated and the\n"
                "median of the short-term (3 s) loudness:\n");
    std::printf("scene  integrated  short-term\n");
    for (const SceneLoudness& s : loudness.scenes)
        std::printf("%5d  %10.1f  %10.1f\n", s.scene, s.integrated, s.shortTermMedian);
    std::printf("short-term median of the peak scenes 3, 8, 9: %.1f LUFS; scene 1 %+.1f LU, scene 6 %+.1f LU\n",
                loudness.peakMedian, loudness.scenes[1].shortTermMedian - loudness.peakMedian,
                loudness.scenes[6].shortTermMedian - loudness.peakMedian);

    std::vector<EventAttack> attacks = eventAttacks(music, kMusicSampleRate);
    std::sort(attacks.begin(), attacks.end(), [](const EventAttack& a, const EventAttack& b) { return a.riseDb < b.riseDb; });
    std::printf("sync event attacks (energy above 4 kHz, 60 ms after against 100 ms before), the weakest:");
    for (size_t i = 0; i < std::min<size_t>(5, attacks.size()); ++i)
        std::printf("%s %c %d ms %.1f dB", i ? "," : "", attacks[i].table, attacks[i].ms, attacks[i].riseDb);
    std::printf("\n");

    synth::Buffer buffer;
    buffer.samples = music;
    std::printf("loudness (before encoding): %.2f LUFS integrated, range %.1f LU (%.1f to %.1f LUFS), "
                "sample peak %.2f dBFS, true peak about %.2f dBTP\n",
                loudness.integrated, loudness.range.lu(), loudness.range.lowLufs, loudness.range.highLufs,
                20.0 * std::log10(synth::samplePeak(buffer)),
                20.0 * std::log10(synth::truePeakEstimate(buffer)));
    return 0;
}
