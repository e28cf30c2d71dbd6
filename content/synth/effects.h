// Effects and the master chain of the music synthesiser: a ping-pong stereo
// delay, a small reverb, a look-ahead limiter and a loudness meter.
//
//   synth::Buffer wet = synth::stereoDelay(send, {330.0, 495.0, 0.45f, 3000.0});
//   synth::Buffer room = synth::reverb(send, {0.8f, 0.35f});
//   synth::limit(master, synth::dbToGain(-1.5), 120.0);
//   double lufs = synth::integratedLoudness(master);
//   double lu = synth::loudnessRange(master).lu();
//
// Effects take a send buffer and return only the wet signal, so the mixer
// decides how much of each returns.
#pragma once

#include "synth/dsp.h"

namespace synth {

struct DelaySettings {
    double leftMs;      // first repeat on the left
    double rightMs;     // first repeat on the right
    float feedback;     // each repeat crosses to the other side this much quieter
    double dampingHz;   // repeats lose their highs like tape
};
Buffer stereoDelay(const Buffer& send, const DelaySettings& settings);

struct ReverbSettings {
    float roomSize;  // 0..1: decay time
    float damping;   // 0..1: how fast the highs die
};
// A Schroeder-Moorer reverb: eight damped combs in parallel, then four
// allpasses, per channel, the right channel's delays slightly longer.
Buffer reverb(const Buffer& send, const ReverbSettings& settings);

// Keeps every sample within ±ceiling. The gain reaches its lowest value
// lookaheadMs before each peak (so there is no clipping and no change of
// timing) and recovers with the release time constant.
void limit(Buffer& buffer, float ceiling, double releaseMs, double lookaheadMs = 2.0);

// Integrated loudness in LUFS of a stereo buffer: K-weighting, 400 ms
// blocks with 75 % overlap, the absolute (-70 LUFS) and relative (-10 LU)
// gates. Returns -70 for silence.
double integratedLoudness(const Buffer& buffer);

// Short-term loudness in LUFS: K-weighted 3 s windows, one every 100 ms;
// value j is the window ending at 3000 + 100 j ms. Silence reads -70.
std::vector<double> shortTermLoudness(const Buffer& buffer);

// Loudness range (LRA): the spread between the 10th and the 95th
// percentile of the short-term loudness, leaving out windows quieter than
// -70 LUFS or 20 LU below their mean (pauses and fades would widen it).
struct LoudnessRange {
    double lowLufs = -70.0, highLufs = -70.0;  // the two percentiles
    double lu() const { return highLufs - lowLufs; }
};
LoudnessRange loudnessRange(const Buffer& buffer);

// Largest absolute sample, and an estimate of the true peak from 4x
// oversampling with a windowed-sinc interpolator.
float samplePeak(const Buffer& buffer);
float truePeakEstimate(const Buffer& buffer);

}  // namespace synth
