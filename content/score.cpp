// A plain timing track: a kick on every beat of the 136 BPM grid, a low
// drone, and accents on the event tables so every cut can be heard.
#include "score.h"

#include <cmath>
#include <cstdint>

#include "runtime/timeline.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Deterministic noise for the accents (the same bytes on every build).
struct Noise {
    uint32_t state = 22222;
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
};

void addKick(std::vector<float>& out, long long at, float gain) {
    const int length = kMusicSampleRate / 4;
    double phase = 0.0;
    for (int i = 0; i < length; ++i) {
        const long long f = at + i;
        if (f < 0 || 2 * f + 1 >= static_cast<long long>(out.size())) break;
        const double t = static_cast<double>(i) / kMusicSampleRate;
        phase += 2.0 * kPi * (50.0 + 90.0 * std::exp(-t * 30.0)) / kMusicSampleRate;
        const float v = gain * static_cast<float>(std::sin(phase) * std::exp(-t * 9.0));
        out[2 * f] += v;
        out[2 * f + 1] += v;
    }
}

void addAccent(std::vector<float>& out, long long at, float gain, Noise& noise) {
    const int length = kMusicSampleRate;
    for (int i = 0; i < length; ++i) {
        const long long f = at + i;
        if (f < 0 || 2 * f + 1 >= static_cast<long long>(out.size())) break;
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const float env = static_cast<float>(std::exp(-t * 4.0));
        const float tone = static_cast<float>(std::sin(2.0 * kPi * 174.6 * t) + 0.5 * std::sin(2.0 * kPi * 349.2 * t));
        out[2 * f] += gain * env * (0.5f * noise.next() + 0.3f * tone);
        out[2 * f + 1] += gain * env * (0.5f * noise.next() + 0.3f * tone);
    }
}

long long frameAt(double ms) { return static_cast<long long>(std::llround(ms * kMusicSampleRate / 1000.0)); }

}  // namespace

std::vector<float> renderScore() {
    const long long frames = frameAt(kMusicLengthMs);
    std::vector<float> out(static_cast<size_t>(frames) * 2, 0.0f);

    for (long long i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const float drone = 0.05f * static_cast<float>(std::sin(2.0 * kPi * 87.3 * t) * (0.6 + 0.4 * std::sin(t * 0.5)));
        out[2 * i] += drone;
        out[2 * i + 1] += drone;
    }
    for (double beat = 0.0; beat < kPresentationEndMs; beat += beatGrid.periodMs) addKick(out, frameAt(beat), 0.5f);

    Noise noise;
    for (int i = 0; i < kTrackBCount - 1; ++i) addAccent(out, frameAt(syncTrackB[i]), 0.25f, noise);
    for (int i = 0; i < kTrackACount - 1; ++i) addAccent(out, frameAt(syncTrackA[i]), 0.45f, noise);

    // Fade out over the last two seconds; keep the peaks below full scale.
    const long long fade = 2 * kMusicSampleRate;
    for (long long i = 0; i < frames; ++i) {
        float gain = 0.8f;
        if (i > frames - fade) gain *= static_cast<float>(frames - i) / fade;
        out[2 * i] = std::tanh(out[2 * i] * gain);
        out[2 * i + 1] = std::tanh(out[2 * i + 1] * gain);
    }
    return out;
}
