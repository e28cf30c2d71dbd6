#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "runtime/timeline/clock_math.h"

namespace {

using namespace clockmath;

TEST(ClockMath, FrameDeltaIsClampedToZeroAndOneSecond) {
    EXPECT_EQ(clampFrameDelta(16.0f, 0.0f), 16.0f);
    EXPECT_EQ(clampFrameDelta(5000.0f, 1000.0f), 1000.0f);  // a stall
    EXPECT_EQ(clampFrameDelta(1999.0f, 1000.0f), 999.0f);
    EXPECT_EQ(clampFrameDelta(2000.0f, 1000.0f), 1000.0f);
    EXPECT_EQ(clampFrameDelta(500.0f, 1500.0f), 0.0f);      // going backwards
}

TEST(ClockMath, SeeksStayInsideTheMusic) {
    EXPECT_EQ(clampSeekMs(-500.0, 245000.0), 0.0);
    EXPECT_EQ(clampSeekMs(246000.0, 245000.0), 245000.0);
    EXPECT_EQ(clampSeekMs(1234.0, 245000.0), 1234.0);
    EXPECT_EQ(clampSeekMs(9e6, 0.0), 9e6);  // no known end
}

TEST(ClockMath, AudioTargetSubtractsTheDevicesLatencyAndAddsTimeSinceTheCallback) {
    // 44100 frames queued = 1 s; two 1024-frame buffers still in the device.
    const double base = (44100.0 - 2048.0) / 44.1;
    EXPECT_NEAR(audioTargetMs(44100, 0.0, 44100, 1024, 2048), base, 1e-9);
    EXPECT_NEAR(audioTargetMs(44100, 0.010, 44100, 1024, 2048), base + 10.0, 1e-9);
    // Time since the callback counts up to one buffer, no more.
    EXPECT_NEAR(audioTargetMs(44100, 5.0, 44100, 1024, 2048), base + 1024.0 / 44.1, 1e-9);
    EXPECT_EQ(audioTargetMs(1500, 0.0, 44100, 1024, 2048), 0.0);
}

TEST(ClockMath, SmoothingFollowsJitteryAudioSteadilyAndNeverStepsBack) {
    // Audio reports in 23 ms steps (one buffer) while frames come every 16.7 ms.
    double pos = 0.0;
    double previous = 0.0;
    double worstStepError = 0.0;
    for (int frame = 1; frame <= 600; ++frame) {
        const double wall = frame * 1000.0 / 60.0;
        const double reported = std::floor(wall / 23.22) * 23.22;  // what the callbacks let us see
        const double target = reported + std::fmod(wall, 23.22);   // plus time since the callback
        pos = smoothPosition(pos, target + (frame % 3 == 0 ? 4.0 : -4.0), 1000.0 / 60.0);
        ASSERT_GE(pos, previous);
        if (frame > 120) worstStepError = std::max(worstStepError, std::fabs((pos - previous) - 1000.0 / 60.0));
        previous = pos;
    }
    EXPECT_NEAR(pos, 10000.0, 5.0);
    EXPECT_LT(worstStepError, 0.5);  // the ±4 ms jitter is damped twentyfold
}

TEST(ClockMath, SmoothingSnapsForwardOnBigErrorsAndSlowsDownWhenAudioLags) {
    EXPECT_EQ(smoothPosition(1000.0, 1500.0, 16.0), 1500.0);
    EXPECT_NEAR(smoothPosition(1000.0, 1066.0 + 1000.0 / 60.0, 1000.0 / 60.0), 1000.0 + 1000.0 / 60.0 + 0.05 * 66.0,
                1e-9);
    // A slow frame pulls harder: a quarter second takes 1 - 0.95^15 of the error.
    EXPECT_NEAR(smoothPosition(1000.0, 1300.0, 250.0), 1250.0 + (1.0 - std::pow(0.95, 15.0)) * 50.0, 1e-9);
    // Audio behind: no more than 20 ms ahead of it, at half speed at the
    // least, never a stand-still nor a step back.
    EXPECT_EQ(smoothPosition(1000.0, 700.0, 16.0), 1008.0);
    EXPECT_NEAR(smoothPosition(1000.0, 1200.0, 400.0), 1220.0, 1e-9);
    EXPECT_NEAR(smoothPosition(1000.0, 1010.0, 16.0), 1016.0 - 0.048 * 6.0, 0.01);
    EXPECT_TRUE(audioRaced(1000.0, 1600.0, 16.0));
    EXPECT_FALSE(audioRaced(1000.0, 1400.0, 16.0));
}

std::vector<float> stereoSine(double hz, int frames, float amplitude) {
    std::vector<float> s(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const float v = amplitude * static_cast<float>(std::sin(2.0 * M_PI * hz * i / 44100.0));
        s[2 * i] = v;
        s[2 * i + 1] = -v;  // the right channel must not leak in
    }
    return s;
}

// A wall step the device did not share is a stop of the program when the
// program was continued within it, or, untold (a debugger), when it is long
// and the device is back; not when the device stopped on its own (a frozen
// server, which the stall watch handles) or a frame was merely slow.
TEST(ClockMath, AStepTheDeviceDidNotShareIsAStopOnlyWhenTheProgramStopped) {
    EXPECT_DOUBLE_EQ(clockmath::stoppedStepMs(3040.0, 40.0, true, false), 3000.0);
    EXPECT_EQ(clockmath::stoppedStepMs(80.0, 0.0, true, true), 0.0);  // too short to matter
    EXPECT_DOUBLE_EQ(clockmath::stoppedStepMs(5000.0, 100.0, false, true), 4900.0);
    EXPECT_EQ(clockmath::stoppedStepMs(5000.0, 100.0, false, false), 0.0);
    EXPECT_EQ(clockmath::stoppedStepMs(1500.0, 0.0, false, true), 0.0);
    EXPECT_EQ(clockmath::stoppedStepMs(3000.0, 2900.0, false, true), 0.0);
}

TEST(ClockMath, SpectrumOfABinCentredSineReadsFiveEighthsInItsBin) {
    const double binHz = 44100.0 / kFftSize;
    const auto sine = stereoSine(4 * binHz, 44100, 1.0f);
    float bins[512];
    computeSpectrum(sine.data(), 44100, 22050, bins);
    EXPECT_NEAR(bins[4], 0.625f, 0.002f);
    EXPECT_NEAR(bins[3], 0.625f * 4.0f / (M_PI * M_PI), 0.002f);  // the triangle window's main lobe, one bin off
    EXPECT_LT(bins[10], 0.01f);
    EXPECT_EQ(bins[511], 0.0f);

    // Loud enough to clamp.
    const auto loud = stereoSine(4 * binHz, 44100, 4.0f);
    computeSpectrum(loud.data(), 44100, 22050, bins);
    EXPECT_EQ(bins[4], 1.0f);
}

TEST(ClockMath, SpectrumReadsSilenceOutsideTheMusic) {
    const auto sine = stereoSine(200.0, 44100, 1.0f);
    float bins[512];
    computeSpectrum(sine.data(), 44100, 0, bins);  // the window ends where the music begins
    for (float b : bins) ASSERT_EQ(b, 0.0f);
    computeSpectrum(sine.data(), 44100, 44100 + 1024, bins);  // and starts where it ends
    for (float b : bins) ASSERT_EQ(b, 0.0f);
    computeSpectrum(nullptr, 0, 5000, bins);
    for (float b : bins) ASSERT_EQ(b, 0.0f);
}

}  // namespace
