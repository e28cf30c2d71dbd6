// The synthesiser's building blocks: what the mixer and the master chain
// rely on.
#include <gtest/gtest.h>

#include <cmath>

#include "synth/dsp.h"
#include "synth/effects.h"

using namespace synth;

namespace {

Buffer sine(double hz, float amplitude, double seconds) {
    Buffer b(static_cast<long long>(seconds * kRate));
    for (long long i = 0; i < b.frames(); ++i) {
        const float v = amplitude * static_cast<float>(std::sin(2.0 * kPi * hz * i / kRate));
        b.samples[2 * i] = b.samples[2 * i + 1] = v;
    }
    return b;
}

// Steady-state peak of a filter's response to a sine.
float filteredPeak(double hz, double cutoff, double resonance) {
    Svf filter;
    filter.set(cutoff, resonance);
    Oscillator osc(Wave::Sine);
    float peak = 0.0f;
    for (int i = 0; i < kRate / 2; ++i) {
        const float y = filter.lowpass(osc.next(hz));
        if (i > kRate / 4) peak = std::max(peak, std::fabs(y));
    }
    return peak;
}

}  // namespace

TEST(Synth, LoudnessMeterReadsReferenceTonesAndGatesSilence) {
    // A 997 Hz tone at -20 dBFS in both channels reads -20 LUFS.
    EXPECT_NEAR(integratedLoudness(sine(997.0, 0.1f, 5.0)), -20.0, 0.1);
    // Halving the level takes 6 dB off.
    EXPECT_NEAR(integratedLoudness(sine(997.0, 0.05f, 5.0)), -26.0, 0.1);
    // Long silence around a tone hardly drags the figure down: the gates
    // leave it out, all but the few blocks that straddle the edges.
    Buffer gapped(40 * kRate);
    const Buffer tone = sine(997.0, 0.1f, 10.0);
    std::copy(tone.samples.begin(), tone.samples.end(), gapped.samples.begin() + 2 * 15 * kRate);
    EXPECT_NEAR(integratedLoudness(gapped), -20.0, 0.2);
    EXPECT_EQ(integratedLoudness(Buffer(kRate)), -70.0);
}

TEST(Synth, ShortTermLoudnessAndRangeFollowTheLevelAndGateOutPauses) {
    // Ten seconds at -20 dBFS, ten at -30, as one track.
    Buffer steps(20 * kRate);
    const Buffer loud = sine(997.0, 0.1f, 10.0), quiet = sine(997.0, 0.0316f, 10.0);
    std::copy(loud.samples.begin(), loud.samples.end(), steps.samples.begin());
    std::copy(quiet.samples.begin(), quiet.samples.end(), steps.samples.begin() + 2 * 10 * kRate);
    const std::vector<double> shortTerm = shortTermLoudness(steps);
    // One 3 s window every 100 ms: the first ends at 3 s, the last at 20 s.
    ASSERT_EQ(shortTerm.size(), 171u);
    EXPECT_NEAR(shortTerm[0], -20.0, 0.1);   // 0 .. 3 s
    EXPECT_NEAR(shortTerm[70], -20.0, 0.1);  // 7 .. 10 s
    EXPECT_NEAR(shortTerm[85], -20.0 + 10.0 * std::log10(0.5 * (1.0 + 0.1)), 0.15);  // half of each
    EXPECT_NEAR(shortTerm[100], -30.0, 0.1);  // 10 .. 13 s
    EXPECT_NEAR(shortTerm.back(), -30.0, 0.1);
    // The spread of the two levels: the windows across the step lie between.
    const LoudnessRange range = loudnessRange(steps);
    EXPECT_NEAR(range.lowLufs, -30.0, 0.1);
    EXPECT_NEAR(range.highLufs, -20.0, 0.1);
    // A steady tone has no range; a pause and a passage far below the rest
    // (-50 dBFS after a minute at -20) do not widen it.
    EXPECT_NEAR(loudnessRange(loud).lu(), 0.0, 0.05);
    Buffer withPause(80 * kRate);
    const Buffer minute = sine(997.0, 0.1f, 60.0), whisper = sine(997.0, 0.00316f, 10.0);
    std::copy(minute.samples.begin(), minute.samples.end(), withPause.samples.begin());
    std::copy(whisper.samples.begin(), whisper.samples.end(), withPause.samples.begin() + 2 * 70 * kRate);
    EXPECT_LT(loudnessRange(withPause).lu(), 0.5);
    EXPECT_EQ(shortTermLoudness(withPause)[650], -70.0);  // 65 .. 68 s: silence
    EXPECT_EQ(loudnessRange(Buffer(5 * kRate)).lu(), 0.0);
}

TEST(Synth, LimiterHoldsTheCeilingAndKeepsTheAttackInPlace) {
    Buffer b = sine(220.0, 0.2f, 2.0);
    const long long hit = kRate;  // a loud burst starts exactly here
    for (long long i = hit; i < hit + 2000; ++i) b.samples[2 * i] = b.samples[2 * i + 1] = (i % 2 ? 0.9f : -0.9f);
    const Buffer before = b;
    limit(b, 0.5f, 50.0, 2.0);
    EXPECT_LE(samplePeak(b), 0.5f);
    // Far from the burst nothing changes.
    for (long long i = 0; i < hit - 200; ++i) ASSERT_EQ(b.samples[2 * i], before.samples[2 * i]) << i;
    // The gain comes down within the look-ahead only, and the burst still
    // starts on its frame, at the ceiling.
    EXPECT_NEAR(b.samples[2 * (hit - 100)], before.samples[2 * (hit - 100)], 1e-6f);
    EXPECT_NEAR(std::fabs(b.samples[2 * hit]), 0.5f, 0.01f);
    EXPECT_LT(std::fabs(b.samples[2 * (hit - 1)]), 0.2f);
    // And it recovers after the release.
    const long long later = hit + 2000 + kRate / 2;
    EXPECT_NEAR(b.samples[2 * later], before.samples[2 * later], 1e-3f);
}

TEST(Synth, FilterPassesBelowCutoffCutsAboveAndRingsWithResonance) {
    EXPECT_NEAR(filteredPeak(100.0, 2000.0, 0.0), 1.0f, 0.02f);
    EXPECT_LT(filteredPeak(16000.0, 500.0, 0.0), 0.01f);
    EXPECT_GT(filteredPeak(1000.0, 1000.0, 0.9), 3.0f);
    // The same setting with no resonance sits near -6 dB at the cutoff.
    EXPECT_NEAR(filteredPeak(1000.0, 1000.0, 0.0), 0.5f, 0.05f);
}

TEST(Synth, OscillatorsStayInRangeAndKeepTheirPitch) {
    for (Wave wave : {Wave::Sine, Wave::Saw, Wave::Square, Wave::Triangle}) {
        Oscillator osc(wave);
        float peak = 0.0f;
        int crossings = 0;
        float previous = 0.0f;
        for (int i = 0; i < kRate; ++i) {
            const float v = osc.next(441.0);
            peak = std::max(peak, std::fabs(v));
            if (i > 0 && previous < 0.0f && v >= 0.0f) ++crossings;
            previous = v;
        }
        EXPECT_LT(peak, 1.2f) << static_cast<int>(wave);
        EXPECT_GT(peak, 0.7f) << static_cast<int>(wave);
        EXPECT_NEAR(crossings, 441, 2) << static_cast<int>(wave);
    }
    // A band-limited saw near the top of the range has no step left: no
    // sample-to-sample jump close to the naive saw's full swing of 2.
    Oscillator saw(Wave::Saw);
    float previous = saw.next(5000.0), largestStep = 0.0f;
    for (int i = 0; i < kRate / 10; ++i) {
        const float v = saw.next(5000.0);
        largestStep = std::max(largestStep, std::fabs(v - previous));
        previous = v;
    }
    EXPECT_LT(largestStep, 1.6f);
}

TEST(Synth, EnvelopeAttacksHoldsTheSustainAndReleasesToSilence) {
    Adsr env(0.01, 0.05, 0.5, 0.1);
    float level = 0.0f;
    for (int i = 0; i < kRate / 100; ++i) level = env.next();
    EXPECT_NEAR(level, 1.0f, 0.01f);
    for (int i = 0; i < kRate / 2; ++i) level = env.next();
    EXPECT_NEAR(level, 0.5f, 0.01f);
    env.noteOff();
    EXPECT_FALSE(env.finished());
    for (int i = 0; i < kRate / 2 && !env.finished(); ++i) level = env.next();
    EXPECT_TRUE(env.finished());
    EXPECT_LT(level, 0.001f);
}
