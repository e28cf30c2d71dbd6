#include "runtime/timeline/clock_math.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>

namespace clockmath {

float clampFrameDelta(float currentMs, float previousMs) {
    const float delta = currentMs - previousMs;
    if (delta < 0.0f) return 0.0f;
    if (delta >= 1000.0f) return 1000.0f;
    return delta;
}

double clampSeekMs(double ms, double lengthMs) {
    if (ms < 0.0) return 0.0;
    if (lengthMs > 0.0 && ms > lengthMs) return lengthMs;
    return ms;
}

double audioTargetMs(int64_t framesQueued, double sinceCallbackSec, int sampleRate, int bufferFrames,
                     int latencyFrames) {
    const double bufferSec = static_cast<double>(bufferFrames) / sampleRate;
    const double since = std::clamp(sinceCallbackSec, 0.0, bufferSec);
    const double heardSec = static_cast<double>(framesQueued - latencyFrames) / sampleRate + since;
    return std::max(0.0, heardSec * 1000.0);
}

namespace {

constexpr double kAheadMarginMs = 20.0;

}  // namespace

double smoothPosition(double posMs, double targetMs, double wallStepMs) {
    const double predicted = posMs + wallStepMs;
    const double error = targetMs - predicted;
    if (error > 100.0) return targetMs;
    const double pull = 1.0 - std::pow(0.95, wallStepMs * (60.0 / 1000.0));
    // The callbacks' own jitter stays well inside the margin; a device that
    // falls behind (its thread starved of time) does not.
    const double ceiling = targetMs + kAheadMarginMs;
    return std::max(posMs + 0.5 * wallStepMs, std::min(predicted + pull * error, ceiling));
}

double stoppedStepMs(double wallStepMs, double handedMs, bool continued, bool calledBack) {
    const double unshared = wallStepMs - handedMs;
    // A stop too short to matter is left to the smoothing.
    if (continued) return unshared >= 100.0 ? unshared : 0.0;
    return calledBack && wallStepMs >= 2000.0 && handedMs < 0.5 * wallStepMs ? unshared : 0.0;
}

bool audioRaced(double previousTargetMs, double targetMs, double wallStepMs) {
    return (targetMs - previousTargetMs) - wallStepMs > 500.0;
}

void computeSpectrum(const float* stereo, int64_t frameCount, int64_t endFrame, float out[512]) {
    // One plan for the whole run; FFTW wants its own aligned buffers.
    static float* input = fftwf_alloc_real(kFftSize);
    static fftwf_complex* output = fftwf_alloc_complex(kFftSize / 2 + 1);
    static fftwf_plan plan = fftwf_plan_dft_r2c_1d(kFftSize, input, output, FFTW_ESTIMATE);

    const int64_t first = endFrame - kFftSize;
    for (int n = 0; n < kFftSize; ++n) {
        const int64_t frame = first + n;
        const float sample = (stereo && frame >= 0 && frame < frameCount) ? stereo[2 * frame] : 0.0f;
        const float window = 1.0f - std::fabs(2.0f * n / kFftSize - 1.0f);
        input[n] = sample * window / kFftSize;
    }
    fftwf_execute(plan);
    for (int k = 0; k < 511; ++k) {
        const float magnitude = std::hypot(output[k][0], output[k][1]) * 2.5f;
        out[k] = std::min(magnitude, 1.0f);
    }
    out[511] = 0.0f;
}

}  // namespace clockmath
