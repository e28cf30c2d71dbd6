#include "runtime/offline_run.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "runtime/frame_loop.h"
#include "runtime/music.h"
#include "runtime/output_file.h"
#include "runtime/quit_signals.h"
#include "runtime/scene_state.h"
#include "runtime/timeline.h"
#include "runtime/window.h"

namespace {

const char* stopCause = nullptr;

void offlineKeyboard(unsigned char key, int, int) {
    if (key == 27) stopCause = "Esc";
}

void drawNothing() {}
void keepSize(int, int) {}

}  // namespace

bool offlineOutputsUsable(const Options& options, std::string& error) {
    auto usable = [&](const std::string& path) {
        if (outputFileUsable(path, error)) return true;
        error = "cannot write \"" + path + "\": " + error;
        return false;
    };
    if (options.shot && !usable(options.shotPath)) return false;
    if (options.capture == Options::Capture::Video && !usable(options.capturePath)) return false;
    if (options.benchmark && !options.benchmarkJsonPath.empty() && !usable(options.benchmarkJsonPath)) return false;
    if (options.capture == Options::Capture::Frames) {
        std::error_code ignored;
        const auto status = std::filesystem::status(options.capturePath, ignored);
        if (std::filesystem::exists(status) && !std::filesystem::is_directory(status)) {
            error = "cannot write frames into \"" + options.capturePath + "\": it is a file, not a folder";
            return false;
        }
    }
    return true;
}

int leadInFrames(double ms, double fps) {
    const double sceneStart = sceneStartMs[sceneIndexAt(static_cast<float>(ms))];
    const double frameMs = 1000.0 / fps;
    const int frames = static_cast<int>(std::ceil((ms - sceneStart) / frameMs - 1e-9)) - 1;
    return frames > 0 ? frames : 0;
}

long long spanFrameCount(double fromMs, double toMs, int fps) {
    const long long frames = std::llround((toMs - fromMs) * fps / 1000.0);
    return frames > 0 ? frames : 1;
}

void startOfflineClock(double ms, double fps) {
    advanceEarlierScenes(ms, fps);
    const int lead = leadInFrames(ms, fps);
    MusicConfig music;
    music.mode = ClockMode::Offline;
    music.offlineFps = fps;
    music.startMs = ms - lead * (1000.0 / fps);
    startMusic(music);
    for (int i = 0; i < lead; ++i) stepFrame();
}

void takeOfflineInput(bool followWindowSize) {
    if (!hasWindow()) return;  // no events but signals
    glutDisplayFunc(drawNothing);
    glutIdleFunc(nullptr);
    glutKeyboardFunc(offlineKeyboard);
    glutMouseFunc(nullptr);
    glutReshapeFunc(followWindowSize ? reshape : keepSize);
}

bool offlineStopRequested() {
    if (hasWindow()) {
        if (takeWindowCloseRequest()) stopCause = "closing the window";
        glutMainLoopEvent();
    }
    if (const int signal = quitSignal()) stopCause = signalName(signal);
    return stopCause != nullptr;
}

const char* offlineStopCause() { return stopCause ? stopCause : ""; }

Progress::Progress(long long total) : total_(total), start_(Clock::now()) {}

void Progress::show(long long done) {
    const auto now = Clock::now();
    // A terminal cannot keep up with hundreds of lines a second.
    if (done < total_ && now - lastShown_ < std::chrono::milliseconds(250)) return;
    lastShown_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double fps = seconds > 0.0 ? done / seconds : 0.0;
    const double left = fps > 0.0 ? (total_ - done) / fps : 0.0;
    std::fprintf(stderr, "\rafterglow: frame %lld/%lld  %.1f fps  %.0f s left   ", done, total_, fps, left);
    if (done == total_) std::fputc('\n', stderr);
    std::fflush(stderr);
}
