// What the offline runs (shot, frames, capture, benchmark) share: the clock
// started so that a span's first frame has its scene's state behind it, the
// frame count of a span, a progress line, and Esc.
//
//   startOfflineClock(fromMs, fps);
//   takeOfflineInput(false);
//   Progress progress(total);
//   for (long long i = 0; i < total && !offlineStopRequested(); ++i) {
//       drawFrame(); ...; progress.show(i + 1);
//   }
#pragma once

#include <chrono>
#include <string>

#include "runtime/options.h"

// Whether the files the run is to write (a shot, a video, a report, the
// frames' folder) can be written, found out before any work is done: a
// benchmark that could not save its report would waste minutes. Leaves
// nothing behind. False with a message that names the file.
bool offlineOutputsUsable(const Options& options, std::string& error);

// Frames an offline run steps through without drawing before the frame at
// ms, so that it starts from the start of that frame's scene: spaced
// 1000 / fps so that the last one lands exactly on ms.
int leadInFrames(double ms, double fps);

// Frames in [fromMs, toMs) at fps, at least one.
long long spanFrameCount(double fromMs, double toMs, int fps);

// Starts the music on the offline clock at fps and steps through the
// lead-in: the next drawn frame is at ms, with the state a run from 0 at
// fps has there (the earlier scenes' random draws included).
void startOfflineClock(double ms, double fps);

// From now on the window's events are the offline run's: Esc asks it to
// stop, the mouse does nothing (a seek would break the fixed time step) and
// the display callback draws nothing (the run draws its frames itself).
// With followWindowSize, reshape still follows the window (the run draws
// into it); otherwise the picture keeps its size.
void takeOfflineInput(bool followWindowSize);

// Handles pending window events; true once Esc has been pressed, the window
// closed or the program asked by signal to stop.
bool offlineStopRequested();
// What stopped it, for messages: "Esc", "closing the window", "SIGINT", ...
const char* offlineStopCause();

// One line on stderr, rewritten in place: frames done, speed, time left.
class Progress {
public:
    explicit Progress(long long total);
    void show(long long done);

private:
    using Clock = std::chrono::steady_clock;
    long long total_;
    Clock::time_point start_;
    Clock::time_point lastShown_{};
};
