#include "synth/dsp.h"

#include <algorithm>
#include <cmath>

namespace synth {

long long frameAt(double ms) { return std::llround(ms * kRate / 1000.0); }

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

float saturate(float x) { return std::tanh(x); }

void Buffer::mixIn(const Buffer& other, float gain) {
    const size_t n = std::min(samples.size(), other.samples.size());
    for (size_t i = 0; i < n; ++i) samples[i] += other.samples[i] * gain;
}

Pan::Pan(float position) {
    const double angle = (position + 1.0) * kPi / 4.0;
    left = static_cast<float>(std::cos(angle) * std::sqrt(2.0));
    right = static_cast<float>(std::sin(angle) * std::sqrt(2.0));
}

namespace {

// The polyBLEP residual for a unit step at phase 0, dt the phase step.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

}  // namespace

float Oscillator::next(double hz) {
    const double dt = hz / kRate;
    double value = 0.0;
    switch (wave_) {
    case Wave::Sine:
        value = std::sin(2.0 * kPi * phase_);
        break;
    case Wave::Saw:
        value = 2.0 * phase_ - 1.0 - polyBlep(phase_, dt);
        break;
    case Wave::Square: {
        double shifted = phase_ + 1.0 - pulseWidth;
        if (shifted >= 1.0) shifted -= 1.0;
        value = (phase_ < pulseWidth ? 1.0 : -1.0) + polyBlep(phase_, dt) - polyBlep(shifted, dt);
        break;
    }
    case Wave::Triangle:
        // No steps, only corners: its aliasing is too weak to matter.
        value = 1.0 - 4.0 * std::fabs(phase_ - 0.5);
        break;
    }
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= 1.0;
    return static_cast<float>(value);
}

Adsr::Adsr(double attack, double decay, double sustain, double release)
    : attackStep_(1.0 / std::max(1.0, attack * kRate)),
      decayCoef_(std::exp(-1.0 / std::max(1.0, decay * kRate / 4.0))),
      sustain_(sustain),
      releaseCoef_(std::exp(-1.0 / std::max(1.0, release * kRate / 4.0))) {}

float Adsr::next() {
    if (releasing_) {
        attacking_ = false;
        level_ *= releaseCoef_;
    } else if (attacking_) {
        level_ += attackStep_;
        if (level_ >= 1.0) {
            level_ = 1.0;
            attacking_ = false;
        }
    } else {
        level_ = sustain_ + (level_ - sustain_) * decayCoef_;
    }
    return static_cast<float>(level_);
}

void Svf::set(double cutoffHz, double resonance) {
    cutoffHz = std::clamp(cutoffHz, 10.0, kRate * 0.45);
    const double g = std::tan(kPi * cutoffHz / kRate);
    k_ = 2.0 - 1.95 * std::clamp(resonance, 0.0, 1.0);
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

Svf::Out Svf::process(float in) {
    const double v3 = in - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {static_cast<float>(v2), static_cast<float>(v1), static_cast<float>(in - k_ * v1 - v2)};
}

}  // namespace synth
