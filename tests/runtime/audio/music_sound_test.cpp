// The music clock against a real, paced sound device: a PulseAudio server
// with a null sink that the test starts itself (tools/clock_probe), whose
// monitor is recorded while the program plays into it and matched with
// demo.mp3, so every frame's clock can be set beside the music audible when
// it read it. The bounds here are gross, for a loaded machine with a
// software rasteriser; clock-probe reports the figures themselves.
//
// Without pulseaudio these skip, saying why; with
// AFTERGLOW_REQUIRE_SOUND_SERVER set (CI) they fail instead.
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include "support/window_keys.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

#include "clock_probe/clock_figures.h"
#include "clock_probe/sound_server.h"
#include "runtime/audio/mp3_decode.h"
#include "runtime/timeline/timeline.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::vector<float>& musicLeftChannel() {
    static const std::vector<float> left = [] {
        const DecodedMusic music = decodeMp3(std::string(AFTERGLOW_DATA_DIR) + "/demo.mp3");
        std::vector<float> l(static_cast<size_t>(music.frames()));
        for (size_t i = 0; i < l.size(); ++i) l[i] = music.samples[2 * i];
        return l;
    }();
    return left;
}

// The longest the picture stood still: between two swaps, or with the clock
// holding one value, in wall milliseconds.
double longestFreezeMs(const std::vector<ClockLogLine>& log) {
    double longest = 0.0;
    size_t heldFrom = 0;
    for (size_t i = 1; i < log.size(); ++i) {
        longest = std::max(longest, static_cast<double>(log[i].shownNs - log[i - 1].shownNs) / 1e6);
        if (log[i].musicMs != log[heldFrom].musicMs) heldFrom = i;
        longest = std::max(longest, static_cast<double>(log[i].readNs - log[heldFrom].readNs) / 1e6);
    }
    return longest;
}

struct Played {
    ProcessResult result;
    std::vector<ClockLogLine> log;
    std::string logError;
    ClockFigures figures;
};

class AgainstSoundServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.start()) {
            if (std::getenv("AFTERGLOW_REQUIRE_SOUND_SERVER")) FAIL() << "no sound server: " << server.problem();
            GTEST_SKIP() << "no sound server to play into (" << server.problem() << ")";
        }
    }

    // Plays with args and the clock log into the server while recording
    // it; during(pid) runs meanwhile and returns once it has done its part.
    Played play(std::vector<std::string> args, const std::function<void(int pid)>& during = {}) {
        Played p;
        MonitorRecorder recorder;
        std::string error;
        EXPECT_TRUE(recorder.start(server.address(), SoundServer::kMonitor, error)) << error;
        args.insert(args.begin(), AFTERGLOW_BINARY);
        args.insert(args.end(), {"--clock-log", logPath()});
        ProcessOptions options;
        options.workingDir = AFTERGLOW_DATA_DIR;
        options.setEnv = server.clientEnvironment();
        options.timeoutSec = 90;
        auto call = [](int pid, void* data) {
            const auto& fn = *static_cast<const std::function<void(int)>*>(data);
            if (fn) fn(pid);
        };
        p.result = runProcess(args, options, call, const_cast<std::function<void(int)>*>(&during));
        const Recording recording = recorder.finish();
        p.log = readClockLog(logPath(), p.logError);
        p.figures = measureClock(p.log, locateMusicBeside(p.log, recording, musicLeftChannel()));
        return p;
    }

    std::string logPath() const { return (dir / "clock.tsv").string(); }

    // Waits until the program has drawn n frames (within a minute); false
    // if it never did.
    bool framesDrawn(size_t n) const {
        const auto deadline = Clock::now() + 60s;
        while (Clock::now() < deadline) {
            if (countOf(fileContents(logPath()), "\n") > n) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    SoundServer server;
    TempDir dir;
};

std::string describe(const Played& p) {
    return formatClockFigures(p.figures) + "stderr:\n" + p.result.err;
}

// Every seek, pause, step or restart: once 0.2 s have passed, the clock
// agrees with what is heard, or nothing is heard (a pause).
void expectSettledAfterEvents(const Played& p, size_t atLeast) {
    EXPECT_GE(p.figures.events.size(), atLeast) << describe(p);
    for (const ClockEvent& e : p.figures.events) {
        if (e.worstAfterMs)
            EXPECT_LE(std::fabs(*e.worstAfterMs), kAheadLimitMs) << e.fromMs << " -> " << e.toMs << " ms\n"
                                                                 << describe(p);
    }
}

TEST_F(AgainstSoundServer, TheClockIsTheMusicHeardAndTheLogSaysWhenEachFrameReadIt) {
    const Played p = play({"512", "512", "--windowed", "--start", "238000"});
    EXPECT_EQ(p.result.exitCode, 0) << p.result.err;
    EXPECT_EQ(countOf(p.result.err, "silently"), 0u) << p.result.err;
    ASSERT_TRUE(p.logError.empty()) << p.logError;
    EXPECT_EQ(fileContents(logPath()).substr(0, 49), "read_ns\tmusic_ms\tdelta_ms\taudio_frames\tshown_ns\n");
    // Five seconds of music to the end, at the pace of the device.
    EXPECT_NEAR(p.log.front().musicMs, 238000.0, 100.0);
    EXPECT_GT(p.log.back().musicMs, kPresentationEndMs - 500);
    for (size_t i = 1; i < p.log.size(); ++i) {
        const ClockLogLine& l = p.log[i];
        EXPECT_GE(l.shownNs, l.readNs);
        EXPECT_GT(l.readNs, p.log[i - 1].shownNs);
        EXPECT_GE(l.audioFrames, p.log[i - 1].audioFrames);
    }
    const double handedSec = static_cast<double>(p.log.back().audioFrames) / SoundServer::kRate;
    const double wallSec = static_cast<double>(p.log.back().readNs - p.log.front().readNs) / 1e9;
    EXPECT_NEAR(handedSec, wallSec, 0.3);

    const ClockFigures& f = p.figures;
    ASSERT_TRUE(f.firstAudibleNs) << "nothing of the music was heard\n" << describe(p);
    EXPECT_GT(f.measured, 20) << describe(p);
    EXPECT_LE(std::fabs(f.meanErrorMs), 15.0) << describe(p);
    EXPECT_LE(std::fabs(f.worstErrorMs), 60.0) << describe(p);
    EXPECT_EQ(f.standStills, 0) << describe(p);
    EXPECT_EQ(f.aheadFrames, 0) << describe(p);
}

}  // namespace
