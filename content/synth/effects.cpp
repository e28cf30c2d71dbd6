#include "synth/effects.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace synth {

namespace {

class DelayLine {
public:
    explicit DelayLine(size_t length) : data_(std::max<size_t>(length, 1), 0.0f) {}
    float read() const { return data_[pos_]; }
    void write(float value) {
        data_[pos_] = value;
        if (++pos_ == data_.size()) pos_ = 0;
    }

private:
    std::vector<float> data_;
    size_t pos_ = 0;
};

// A feedback comb with a one-pole lowpass in its loop (the Freeverb comb).
class Comb {
public:
    Comb(size_t length, float feedback, float damping) : line_(length), feedback_(feedback), damping_(damping) {}
    float process(float in) {
        const float out = line_.read();
        store_ = out * (1.0f - damping_) + store_ * damping_;
        line_.write(in + store_ * feedback_);
        return out;
    }

private:
    DelayLine line_;
    float feedback_, damping_;
    float store_ = 0.0f;
};

class Allpass {
public:
    explicit Allpass(size_t length) : line_(length) {}
    float process(float in) {
        const float delayed = line_.read();
        line_.write(in + delayed * 0.5f);
        return delayed - in;
    }

private:
    DelayLine line_;
};

// Biquad in direct form I with double state, for the K-weighting.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double process(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The two K-weighting stages (a high shelf for the head, a high pass for
// the lows), derived for any sample rate from their analogue prototypes.
Biquad kShelf() {
    const double k = std::tan(kPi * 1681.974450955533 / kRate);
    const double q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad kHighPass() {
    const double k = std::tan(kPi * 38.13547087602444 / kRate);
    const double q = 0.5003270373238773;
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

}  // namespace

Buffer stereoDelay(const Buffer& send, const DelaySettings& settings) {
    Buffer wet(send.frames());
    DelayLine left(static_cast<size_t>(settings.leftMs * kRate / 1000.0));
    DelayLine right(static_cast<size_t>(settings.rightMs * kRate / 1000.0));
    const float damp = static_cast<float>(std::exp(-2.0 * kPi * settings.dampingHz / kRate));
    float lowL = 0.0f, lowR = 0.0f;
    for (long long i = 0; i < send.frames(); ++i) {
        const float outL = left.read();
        const float outR = right.read();
        lowL = outL + (lowL - outL) * damp;
        lowR = outR + (lowR - outR) * damp;
        const float mono = 0.5f * (send.samples[2 * i] + send.samples[2 * i + 1]);
        // Ping-pong: the input enters on the left, each repeat crosses over.
        left.write(mono + lowR * settings.feedback);
        right.write(lowL * settings.feedback);
        wet.samples[2 * i] = outL;
        wet.samples[2 * i + 1] = outR;
    }
    return wet;
}

Buffer reverb(const Buffer& send, const ReverbSettings& settings) {
    static const size_t kCombs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const size_t kAllpasses[4] = {556, 441, 341, 225};
    constexpr size_t kSpread = 23;
    const float feedback = 0.7f + 0.28f * settings.roomSize;
    const float damping = 0.4f * settings.damping;

    Buffer wet(send.frames());
    for (int channel = 0; channel < 2; ++channel) {
        const size_t spread = channel ? kSpread : 0;
        std::vector<Comb> combs;
        for (size_t length : kCombs) combs.emplace_back(length + spread, feedback, damping);
        std::vector<Allpass> allpasses;
        for (size_t length : kAllpasses) allpasses.emplace_back(length + spread);
        for (long long i = 0; i < send.frames(); ++i) {
            const float in = 0.015f * (send.samples[2 * i] + send.samples[2 * i + 1]);
            float out = 0.0f;
            for (Comb& comb : combs) out += comb.process(in);
            for (Allpass& allpass : allpasses) out = allpass.process(out);
            wet.samples[2 * i + channel] = out;
        }
    }
    return wet;
}

void limit(Buffer& buffer, float ceiling, double releaseMs, double lookaheadMs) {
    const long long frames = buffer.frames();
    const long long ahead = std::max<long long>(1, std::llround(lookaheadMs * kRate / 1000.0));
    const double release = std::exp(-1.0 / (releaseMs * kRate / 1000.0));
    // The gain frame j needs on its own to stay under the ceiling.
    auto need = [&](long long j) {
        const float peak = std::max(std::fabs(buffer.samples[2 * j]), std::fabs(buffer.samples[2 * j + 1]));
        return peak > ceiling ? ceiling / peak : 1.0f;
    };

    // held[i]: the lowest need over frames i .. i + ahead, with a slow
    // recovery after it. The gain applied to frame i is the mean of held
    // over [i - ahead, i]: each of those covers frame i, so the mean is at
    // most need[i] (no clipping), and it starts to fall `ahead` frames
    // before a peak (no click, and the attack stays on its frame).
    std::deque<std::pair<long long, float>> window;  // rising needs, the minimum in front
    std::vector<double> held(static_cast<size_t>(ahead + 1), 1.0);  // ring of the last ahead + 1 values
    double recovering = 1.0, sum = 0.0;
    for (long long j = 0; j < frames + ahead; ++j) {
        if (j < frames) {
            const float n = need(j);
            while (!window.empty() && window.back().second >= n) window.pop_back();
            window.emplace_back(j, n);
        }
        const long long i = j - ahead;
        if (i < 0) continue;
        while (window.front().first < i) window.pop_front();
        recovering = std::min(1.0 - (1.0 - recovering) * release, static_cast<double>(window.front().second));
        double& slot = held[static_cast<size_t>(i % (ahead + 1))];
        if (i > ahead) sum -= slot;  // the value leaving the mean
        slot = recovering;
        sum += recovering;
        const float gain = static_cast<float>(sum / std::min(i + 1, ahead + 1));
        buffer.samples[2 * i] = std::clamp(buffer.samples[2 * i] * gain, -ceiling, ceiling);
        buffer.samples[2 * i + 1] = std::clamp(buffer.samples[2 * i + 1] * gain, -ceiling, ceiling);
    }
}

namespace {

constexpr long long kHop = kRate / 10;  // 100 ms: the step of every loudness window

double loudnessOf(double meanSquare) { return meanSquare > 0.0 ? -0.691 + 10.0 * std::log10(meanSquare) : -1e9; }

// The K-weighted energy of each whole 100 ms hop, both channels summed.
std::vector<double> hopEnergies(const Buffer& buffer) {
    Biquad shelf[2] = {kShelf(), kShelf()};
    Biquad highPass[2] = {kHighPass(), kHighPass()};
    std::vector<double> hops;
    double energy = 0.0;
    for (long long i = 0; i < buffer.frames(); ++i) {
        for (int c = 0; c < 2; ++c) {
            const double y = highPass[c].process(shelf[c].process(buffer.samples[2 * i + c]));
            energy += y * y;
        }
        if ((i + 1) % kHop == 0) {
            hops.push_back(energy);
            energy = 0.0;
        }
    }
    return hops;
}

// Mean square of every window of `length` hops, sliding by one hop.
std::vector<double> windowMeanSquares(const std::vector<double>& hops, size_t length) {
    std::vector<double> windows;
    for (size_t end = length; end <= hops.size(); ++end) {
        double sum = 0.0;
        for (size_t h = end - length; h < end; ++h) sum += hops[h];
        windows.push_back(sum / (static_cast<double>(length) * kHop));
    }
    return windows;
}

// The energy mean of the windows louder than a gate.
double gatedMean(const std::vector<double>& windows, double gateLufs) {
    double sum = 0.0;
    int count = 0;
    for (double z : windows)
        if (loudnessOf(z) > gateLufs) {
            sum += z;
            ++count;
        }
    return count ? sum / count : 0.0;
}

}  // namespace

double integratedLoudness(const Buffer& buffer) {
    const std::vector<double> blocks = windowMeanSquares(hopEnergies(buffer), 4);  // 400 ms, 75 % overlap
    const double absolute = gatedMean(blocks, -70.0);
    if (absolute <= 0.0) return -70.0;
    return loudnessOf(gatedMean(blocks, loudnessOf(absolute) - 10.0));
}

std::vector<double> shortTermLoudness(const Buffer& buffer) {
    std::vector<double> values;
    for (double z : windowMeanSquares(hopEnergies(buffer), 30)) values.push_back(std::max(-70.0, loudnessOf(z)));
    return values;
}

LoudnessRange loudnessRange(const Buffer& buffer) {
    const std::vector<double> windows = windowMeanSquares(hopEnergies(buffer), 30);
    const double absolute = gatedMean(windows, -70.0);
    if (absolute <= 0.0) return {};
    const double gate = loudnessOf(absolute) - 20.0;
    std::vector<double> kept;
    for (double z : windows)
        if (loudnessOf(z) > gate) kept.push_back(loudnessOf(z));
    std::sort(kept.begin(), kept.end());
    auto percentile = [&kept](double p) { return kept[static_cast<size_t>(std::lround(p * (kept.size() - 1)))]; };
    return {percentile(0.10), percentile(0.95)};
}

float samplePeak(const Buffer& buffer) {
    float peak = 0.0f;
    for (float s : buffer.samples) peak = std::max(peak, std::fabs(s));
    return peak;
}

float truePeakEstimate(const Buffer& buffer) {
    // Interpolate three points between each pair of samples from 16 taps of
    // a Hann-windowed sinc.
    constexpr int kTaps = 16;
    float kernel[3][kTaps];
    for (int p = 1; p <= 3; ++p)
        for (int t = 0; t < kTaps; ++t) {
            const double x = (t - kTaps / 2 + 1) - p / 4.0;
            const double sinc = std::sin(kPi * x) / (kPi * x);
            const double window = 0.5 + 0.5 * std::cos(kPi * x / (kTaps / 2));
            kernel[p - 1][t] = static_cast<float>(sinc * window);
        }
    float peak = samplePeak(buffer);
    const long long frames = buffer.frames();
    for (int c = 0; c < 2; ++c)
        for (long long i = kTaps / 2; i + kTaps / 2 < frames; ++i) {
            const float* s = &buffer.samples[2 * (i - kTaps / 2 + 1) + c];
            // Only look between samples that are already loud.
            if (std::fabs(s[2 * (kTaps / 2 - 1)]) < 0.5f * peak) continue;
            for (int p = 0; p < 3; ++p) {
                float v = 0.0f;
                for (int t = 0; t < kTaps; ++t) v += kernel[p][t] * s[2 * t];
                peak = std::max(peak, std::fabs(v));
            }
        }
    return peak;
}

}  // namespace synth
