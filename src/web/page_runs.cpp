#include "web/page_runs.h"

#include <GL/gl.h>
#include <emscripten/emscripten.h>

#include <cstdio>
#include <vector>

#include "gfx/display.h"
#include "runtime/audio/music.h"
#include "runtime/controls/dev_mode.h"
#include "runtime/controls/show_controls.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/loading_bar.h"
#include "runtime/replay/replay.h"
#include "runtime/report/benchmark_report.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "web/page_input.h"
#include "web/page_js.h"
#include "web/page_music.h"
#include "web/page_quit.h"

namespace {

class ShotRun : public PageRun {
public:
    explicit ShotRun(double ms) : pendingMs_(ms) {}

    bool keepsPicture() const override { return true; }
    void start() override {}

    void frame() override {
        if (pendingMs_ < 0.0) return;
        const double ms = pendingMs_;
        pendingMs_ = -1.0;
        // As a shot process starts: the scenes as start-up left them.
        restoreStartOfShow();
        startOfflineClock(ms, kShotFps);
        drawFrame();
        glFinish();
        pageSetTitle("shot ready");
    }

    void stopped(int, const std::string& reason) override { pageSetTitle(("shot failed: " + reason).c_str()); }

    void request(double ms) {
        if (!(ms >= 0.0 && ms <= kPresentationEndMs)) {
            pageSetTitle(("shot failed: " + std::to_string(ms) + " is not a time of the show (0.." +
                          std::to_string(kPresentationEndMs) + " ms)")
                             .c_str());
            return;
        }
        pageSetTitle("shot pending");
        pendingMs_ = ms;
    }

private:
    double pendingMs_;
};

ShotRun* shotRun = nullptr;

class BenchmarkRun : public PageRun {
public:
    explicit BenchmarkRun(const Options& o)
        : fromMs_(o.fromMs),
          toMs_(o.toMs),
          fps_(o.offlineFps),
          frames_(spanFrameCount(o.fromMs, o.toMs, o.offlineFps)) {}

    void start() override { startOfflineClock(fromMs_, fps_); }

    void frame() override {
        if (done_ == frames_) return;
        const double start = emscripten_get_now();
        if (done_ == 0) startupMs_ = start;  // since the page was opened
        drawFrame();
        glFinish();
        const double end = emscripten_get_now();
        // The frame's own work: the program and its GL calls on the main
        // thread. The browser composites and the GPU process draws after.
        FrameSample sample;
        sample.scene = sceneIndex;
        sample.cpuMs = end - start;
        sample.ms = done_ > 0 ? start - lastStart_ : sample.cpuMs;
        samples_.push_back(sample);
        lastStart_ = start;
        if (++done_ == frames_) publish();
    }

    void stopped(int, const std::string& reason) override {
        std::fprintf(stderr, "afterglow: the benchmark stopped: %s\n", reason.c_str());
        pageSetTitle("benchmark failed");
    }

private:
    void publish() {
        BenchmarkReport report;
        report.width = displayWidth;
        report.height = displayHeight;
        report.windowWidth = windowWidth;
        report.windowHeight = windowHeight;
        report.fps = fps_;
        report.fromMs = fromMs_;
        report.toMs = toMs_;
        report.framesPlanned = frames_;
        report.startupMs = startupMs_;
        const GLubyte* renderer = glGetString(GL_RENDERER);
        report.renderer = renderer ? reinterpret_cast<const char*>(renderer) : "";
        report.platform = "WebGL 2 canvas (ms: between animation frames; cpu ms: the page's main-thread work)";
        report.vsync = "the browser's animation frames";
        summarizeFrames(report, samples_);
        pagePublishBenchmark(benchmarkJson(report).c_str(), benchmarkTable(report).c_str());
        pageSetTitle("benchmark done");
    }

    double fromMs_;
    double toMs_;
    int fps_;
    long long frames_;
    long long done_ = 0;
    double startupMs_ = 0.0;
    double lastStart_ = 0.0;
    std::vector<FrameSample> samples_;
};

class PlayRun : public PageRun {
public:
    explicit PlayRun(const Options& o) : options_(o) {}

    void start() override {
        logPageClock(!options_.clockLogPath.empty());
        phase_ = Phase::Prompt;
        pageSetPhase("prompt");
    }

    void frame() override {
        switch (phase_) {
        case Phase::Prompt:
            if (!warm_) {
                // While the prompt waits, the first frame's shader variants
                // are made, which the first frame would otherwise wait for
                // after the gesture. Then the full bar again.
                warmUpFrames(options_.startMs);
                drawLoadingBar(1, 1);
                warm_ = true;
            }
            break;
        case Phase::Playing:
            displayFrame();
            showBitmapText();
            if (!firstFrameTold_) pageNoteStart("firstFrame", emscripten_get_now());
            firstFrameTold_ = true;
            break;
        case Phase::Ended:
            break;  // the last frame stays under the page's words
        }
    }

    void begin() {
        if (phase_ == Phase::Playing) return;
        if (phase_ == Phase::Ended) {
            // Again from the state of the first frame, as --loop starts over.
            clearQuit();
            startOver();
            fpsShown = 0;  // the title counts afresh after "the end"
        }
        if (options_.loop) enableLoop();
        MusicConfig music;
        music.mode = options_.silent ? ClockMode::Steady : ClockMode::Audio;
        music.startMs = options_.startMs;
        startMusic(music);
        takeShowControls();
        if (options_.dev) enableDevMode(music.startMs);
        phase_ = Phase::Playing;
        firstFrameTold_ = false;
        pageSetPhase("playing");
    }

    void stopped(int code, const std::string&) override {
        if (code != 0) {
            pageSetPhase("stopped");  // the message box says why
            return;
        }
        phase_ = Phase::Ended;
        pageSetTitle("Afterglow: the end");
        pageSetPhase("ended");
    }

private:
    enum class Phase { Prompt, Playing, Ended };

    Options options_;
    Phase phase_ = Phase::Prompt;
    bool warm_ = false;
    bool firstFrameTold_ = false;
};

PlayRun* playRun = nullptr;

}  // namespace

std::unique_ptr<PageRun> pageRunFor(const Options& options) {
    if (options.shot) {
        auto run = std::make_unique<ShotRun>(options.shotMs);
        shotRun = run.get();
        return run;
    }
    if (options.benchmark) return std::make_unique<BenchmarkRun>(options);
    auto run = std::make_unique<PlayRun>(options);
    playRun = run.get();
    return run;
}

std::string refusedQueryTitle(const std::string& query, const std::string& error) {
    const bool shot = query.find("shot") != std::string::npos;
    return (shot ? "shot failed: " : "afterglow: ") + error;
}

extern "C" EMSCRIPTEN_KEEPALIVE void pageRequestShot(double ms) {
    if (shotRun) shotRun->request(ms);
}

extern "C" EMSCRIPTEN_KEEPALIVE void pageBeginShow() {
    if (playRun) playRun->begin();
}
