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
    constexpr int kHitRate = 22050;
    constexpr int kAfterMs = 60, kBeforeMs = 100, kGapMs = 20;
    if (sampleRate <= 0 || sampleRate % kHitRate != 0) return {};
    // Down to 22.05 kHz through a Kaiser-windowed sinc low-pass a little
    // under the new Nyquist frequency, the way a resampler such as
    // ffmpeg's does it: the first difference weighs the top octave most, so
    // what folds down from above it would count.
    const int factor = sampleRate / kHitRate;
    const int half = 32 * factor;
    const double cutoff = 0.97 * 0.5 / factor;  // in cycles per input sample
    std::vector<double> taps(2 * half + 1);
    double tapSum = 0.0;
    for (int n = -half; n <= half; ++n) {
        const double x = static_cast<double>(n) / half;
        const double window = std::cyl_bessel_i(0.0, 9.0 * std::sqrt(1.0 - x * x)) / std::cyl_bessel_i(0.0, 9.0);
        const double sinc = n == 0 ? 1.0 : std::sin(2.0 * M_PI * cutoff * n) / (2.0 * M_PI * cutoff * n);
        taps[n + half] = window * sinc;
        tapSum += taps[n + half];
    }
    const long long frames = static_cast<long long>(stereo.size() / 2);
    auto monoAt = [&](long long m) {  // sample m of the mono mix at 22.05 kHz
        double sum = 0.0;
        for (int n = -half; n <= half; ++n) {
            const long long f = m * factor + n;
            if (f >= 0 && f < frames) sum += taps[n + half] * 0.5 * (stereo[2 * f] + stereo[2 * f + 1]);
        }
        return sum / tapSum;
    };
    auto sampleAt = [](double ms) { return std::llround(ms * kHitRate / 1000.0); };
    // RMS of the first difference over [fromMs, toMs) of the event's time.
    auto rmsOfDifference = [&](int eventMs, int fromMs, int toMs) {
        const long long from = std::max(1LL, sampleAt(eventMs + fromMs)), to = sampleAt(eventMs + toMs);
        double sum = 0.0, previous = monoAt(from - 1);
        for (long long m = from; m < to; ++m) {
            const double now = monoAt(m);
            sum += (now - previous) * (now - previous);
            previous = now;
        }
        return std::sqrt(sum / static_cast<double>(std::max(1LL, to - from))) + 1e-9;
    };
    std::vector<EventAttack> result;
    for (const auto& [table, count, name] : {std::tuple{syncTrackA, kTrackACount, 'A'}, {syncTrackB, kTrackBCount, 'B'}})
        for (int i = 0; i < count - 1 && table[i] < kPresentationEndMs; ++i) {
            const double rise = 20.0 * std::log10(rmsOfDifference(table[i], 0, kAfterMs) /
                                                  rmsOfDifference(table[i], -kGapMs - kBeforeMs, -kGapMs));
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
    std::printf(
        "sync events as hits: the mono mix at 22.05 kHz, its first difference, RMS over the 60 ms from the\n"
        "event against the 100 ms ending 20 ms before it (a hit rises by %.0f dB or more):\n"
        "table        ms  scene  rise dB\n",
        kHitDb);
    int misses = 0;
    for (const EventAttack& a : attacks) {
        // The scene that plays just after the event: one on a scene start opens it.
        const int scene = sceneIndexAt(static_cast<float>(a.ms) + 1.0f);
        std::printf("    %c  %8d  %5d  %7.1f%s\n", a.table, a.ms, scene, a.riseDb,
                    a.riseDb < kHitDb ? "  not a hit" : "");
        if (a.riseDb < kHitDb) ++misses;
    }
    std::sort(attacks.begin(), attacks.end(), [](const EventAttack& a, const EventAttack& b) { return a.riseDb < b.riseDb; });
    std::printf("%zu of %zu events rise by %.0f dB or more; the weakest:", attacks.size() - misses, attacks.size(),
                kHitDb);
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
