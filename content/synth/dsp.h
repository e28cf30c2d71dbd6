// Building blocks of the music synthesiser: a stereo buffer that voices add
// into, band-limited oscillators, noise, envelopes and filters.
//
//   synth::Buffer mix(frames);
//   synth::Oscillator saw(synth::Wave::Saw);
//   synth::Svf filter;  filter.set(1200.0, 0.3);
//   for (...) mix.add(frame, filter.lowpass(saw.next(220.0)), ...);
//
// Everything runs at kRate and is deterministic: noise comes from seeded
// generators, never from the clock, so every build writes the same music.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// The frame nearest to a music time.
long long frameAt(double ms);
double midiToHz(double note);
double dbToGain(double db);

// Interleaved stereo float samples; writes past either end are dropped so
// voices near the edges need no bounds of their own.
struct Buffer {
    explicit Buffer(long long frames = 0) : samples(static_cast<size_t>(frames) * 2, 0.0f) {}
    long long frames() const { return static_cast<long long>(samples.size() / 2); }
    void add(long long frame, float left, float right) {
        if (frame < 0 || frame >= frames()) return;
        samples[2 * frame] += left;
        samples[2 * frame + 1] += right;
    }
    // this += other * gain
    void mixIn(const Buffer& other, float gain);
    std::vector<float> samples;
};

// Equal-power pan: -1 left, 0 centre, +1 right.
struct Pan {
    explicit Pan(float position);
    float left, right;
};

// White noise in [-1, 1) from a 32-bit linear congruential generator.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    float next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
    }

private:
    uint32_t state_;
};

enum class Wave { Sine, Saw, Square, Triangle };

// Saw and square have their steps smoothed with polyBLEP residuals, which
// keeps the aliasing of bright notes far below the mix.
class Oscillator {
public:
    explicit Oscillator(Wave wave, double phase = 0.0) : wave_(wave), phase_(phase) {}
    float next(double hz);
    double pulseWidth = 0.5;  // square only

private:
    Wave wave_;
    double phase_;
};

// Attack, decay and release in seconds, sustain as a level. Linear attack,
// exponential-looking decay and release (one-pole towards the target).
class Adsr {
public:
    Adsr(double attack, double decay, double sustain, double release);
    void noteOff() { releasing_ = true; }
    float next();
    bool finished() const { return releasing_ && level_ < 1e-3; }  // -60 dB

private:
    double attackStep_, decayCoef_, sustain_, releaseCoef_;
    double level_ = 0.0;
    bool attacking_ = true;
    bool releasing_ = false;
};

// Resonant state-variable filter (trapezoidal integration), stable under
// fast cutoff sweeps. resonance 0..1; near 1 it rings.
class Svf {
public:
    void set(double cutoffHz, double resonance);
    struct Out {
        float low, band, high;
    };
    Out process(float in);
    float lowpass(float in) { return process(in).low; }
    float highpass(float in) { return process(in).high; }
    float bandpass(float in) { return process(in).band; }

private:
    double a1_ = 0.0, a2_ = 0.0, a3_ = 0.0, k_ = 2.0;
    double ic1_ = 0.0, ic2_ = 0.0;
};

// Soft saturation (tanh): warms bass and drums, rounds their peaks.
float saturate(float x);

}  // namespace synth
