// The arithmetic behind the music clock, free of devices so it can be tested.
#pragma once

#include <cstdint>

namespace clockmath {

constexpr int kFftSize = 1024;

// frameDeltaMs from two positions: negative steps read as 0, stalls as 1000.
float clampFrameDelta(float currentMs, float previousMs);

// Seeks land inside the music; lengthMs <= 0 means "no known end".
double clampSeekMs(double ms, double lengthMs);

// What the audio callback's bookkeeping says the listener hears now:
// framesQueued is the read position after the last callback, latencyFrames
// of which are still on their way through the device; sinceCallbackSec is
// the wall time since that callback, counted up to one buffer at most.
double audioTargetMs(int64_t framesQueued, double sinceCallbackSec, int sampleRate, int bufferFrames,
                     int latencyFrames);

// One smoothing step: advance by the wall step and pull towards the audio's
// position, 5 % of the way at 60 frames a second and more for longer steps,
// so slow frames converge as fast in time. An error of over 100 ms snaps
// forward to the audio. While the audio lags behind, the clock slows down,
// running no more than 20 ms ahead of it, but at half the wall step at the
// least: it never stands still and never steps back.
double smoothPosition(double posMs, double targetMs, double wallStepMs);

// The part of a wall step the device did not share (it took handedMs of
// samples meanwhile) when the whole process was stopped through it, the
// device's thread with it; 0 otherwise. continued: the process was
// continued (SIGCONT) within the step, as after Ctrl+Z and fg. Without
// that word (a debugger's stop), a step of 2 s or more in which the device
// took less than half of it, though it is taking samples again (calledBack:
// a device that stopped on its own is no stop of ours). Smoothed into the
// position, such a step would put the picture ahead of the music by half
// of it.
double stoppedStepMs(double wallStepMs, double handedMs, bool continued, bool calledBack);

// True when the audio position jumped ahead of wall time by more than
// 500 ms in one step: an unpaced device that would race through the music.
bool audioRaced(double previousTargetMs, double targetMs, double wallStepMs);

// Spectrum of the left channel of interleaved stereo samples: the kFftSize
// samples ending at endFrame (zeros before the start and past the end),
// triangle window, scaled by 1/N, magnitudes x 2.5 clamped to 1 in bins
// 0..510, bin 511 = 0.
void computeSpectrum(const float* stereo, int64_t frameCount, int64_t endFrame, float out[512]);

}  // namespace clockmath
