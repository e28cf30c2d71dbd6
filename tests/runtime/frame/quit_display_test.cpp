// Every way out of a running program ends it in order, as Esc does: the
// window manager's close button and the signals of a terminal and of kill,
// during playback, during an offline run and during start-up.
#include <gtest/gtest.h>
#include <signal.h>
// After gtest: Xlib defines None and Bool as macros.
#include "support/screen_probe.h"

#include <chrono>
#include <thread>

#include "support/process.h"
#include "support/program.h"

namespace {

using Clock = std::chrono::steady_clock;

// How to end the program once its window is there: by signal (0: by the
// window manager's close), once it plays or at once; and whether it then
// ended promptly.
struct Ending {
    int signal = 0;
    bool waitUntilPlaying = true;
    bool endedPromptly = false;
};

void endOnceRunning(int pid, void* data) {
    Ending& ending = *static_cast<Ending*>(data);
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    const Window target = waitForWindow(display, deadline);
    if (target && ending.waitUntilPlaying) waitForFrameCount(display, target, deadline);
    if (target) {
        if (ending.signal)
            kill(pid, ending.signal);
        else
            sendCloseRequest(display, target);
        // Generous for a loaded machine (the rendering tests without a window
        // run beside this one, and a benchmark still measures its fill rate
        // after the close): a swallowed request never ends it.
        const auto soon = Clock::now() + std::chrono::seconds(10);
        while (!childHasEnded(pid) && Clock::now() < soon) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ending.endedPromptly = childHasEnded(pid);
    }
    XCloseDisplay(display);
}

const std::vector<std::string> kPlayback = {"--windowed", "--silent", "--start", "100000"};
// With the sound library started (on the dummy driver of the tests), whose
// own handlers would swallow the signals.
const std::vector<std::string> kPlaybackWithSound = {"--windowed", "--start", "100000"};
const std::vector<std::string> kBenchmark = {"--windowed", "--benchmark"};

TEST(WaysOut, ClosingTheWindowEndsAsEscDoes) {
    Ending close;
    ProcessResult r = afterglow(kPlayback, within(120), endOnceRunning, &close);
    EXPECT_TRUE(close.endedPromptly);
    EXPECT_EQ(r.exitCode, 0) << r.err;

    // An offline run stops and still reports: no bare exit from the toolkit.
    Ending closeBenchmark;
    r = afterglow(kBenchmark, within(120), endOnceRunning, &closeBenchmark);
    EXPECT_TRUE(closeBenchmark.endedPromptly);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("stopped early by closing the window"), std::string::npos) << r.out;
}

TEST(WaysOut, SignalsEndPlaybackOfflineRunsAndStartUpWithTheirCodes) {
    struct Case {
        std::vector<std::string> args;
        Ending ending;
        int exitCode;
    };
    for (Case c : {Case{kPlaybackWithSound, {SIGINT}, 130}, Case{kPlayback, {SIGTERM}, 143},
                   Case{kBenchmark, {SIGINT}, 130}, Case{kPlayback, {SIGTERM, false}, 143}}) {
        SCOPED_TRACE(std::string(sigabbrev_np(c.ending.signal)) + (c.args == kBenchmark ? " benchmark" : "") +
                     (c.ending.waitUntilPlaying ? "" : " during start-up"));
        const ProcessResult r = afterglow(c.args, within(120), endOnceRunning, &c.ending);
        if (c.ending.waitUntilPlaying) {
            EXPECT_TRUE(c.ending.endedPromptly);
        }
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, c.exitCode) << "killed outright, or ended another way:\n" << r.err;
        if (c.args == kBenchmark) {
            EXPECT_NE(r.out.find("stopped early by SIGINT"), std::string::npos) << r.out;
        }
    }
}

}  // namespace
