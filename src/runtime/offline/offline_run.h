// The offline runs (shot, frames, capture, benchmark): frames drawn on the
// replay's fixed clock instead of the music's, one loop for all of them.
//
//   class Capture : public OfflineRun { ... };   // what to do with each frame
//   Capture run(...);
//   return runOffline({fromMs, fps, frames}, run);
//
// The loop starts the clock (the scenes' state behind the first frame is
// stepped, runtime/replay/replay.h), takes over the window's events (Esc
// and the close button stop the run, the mouse does nothing: a seek would
// break the fixed time step), draws the frames with a progress line on
// stderr, and stops early on Esc, a closed window or a signal.
//
// Progress: on a terminal one line, rewritten in place; anywhere else (a
// log file, a pipe, a render farm's job output) a plain line at every
// tenth of the frames.
#pragma once

#include <chrono>
#include <string>

#include "runtime/options/options.h"
#include "runtime/replay/replay.h"

// Whether the files the run is to write (a shot, a video, a report, the
// frames' folder or the folders it is made in, a joined video) can be
// written, a capture's ffmpeg is installed and a split capture's span has a
// frame for every part, found out before any work is done (the GL context
// and start-up included): a benchmark that could not save its report would
// waste minutes. Leaves nothing behind. False with a message that names
// the file.
bool offlineOutputsUsable(const Options& options, std::string& error);

struct OfflineSpan {
    double fromMs = 0.0;  // the first frame's music time
    double fps = kShotFps;  // frames per second of music
    long long frames = 1;
    // Frames of the run stepped (their state only) before the first drawn
    // one: a part of a split capture draws what the whole run draws there.
    long long skipped = 0;
};

// One kind of offline run: what it does with each frame and how it ends.
class OfflineRun {
public:
    virtual ~OfflineRun() = default;
    // True when the frames are drawn into the window itself (a shot, the
    // benchmark): the loop waits until the window is on screen, and the
    // picture follows the window's size.
    virtual bool drawsIntoWindow() const = 0;
    virtual bool showsProgress() const { return true; }
    // Frame i: draws it (drawFrame()) and does the run's work with it. False
    // after saying why on stderr: the run ends with exit code 1.
    virtual bool frame(long long i) = 0;
    // The exit code of a run stopped early by cause ("Esc", "closing the
    // window", "SIGINT", ...) after done frames.
    virtual int stopped(long long done, const char* cause) = 0;
    // The exit code after the last frame.
    virtual int finish() = 0;
};

int runOffline(const OfflineSpan& span, OfflineRun& run);

// The progress of a run on stderr (see the top): frames done, speed, time
// left, and where it is not rewritten the percentage.
class Progress {
public:
    explicit Progress(long long total);
    void show(long long done);

private:
    using Clock = std::chrono::steady_clock;
    long long total_;
    bool terminal_;
    Clock::time_point start_;
    Clock::time_point lastShown_{};
    int tenthsShown_ = 0;
};

// Ends a rewritten progress line that is still open, so that the next
// message starts on a line of its own. Nothing otherwise.
void endProgressLine();
