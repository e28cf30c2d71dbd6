#include "runtime/offline/offline_run.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include "runtime/environment/environment.h"
#include "runtime/frame/clock_log.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/window.h"
#include "runtime/platform/child_process.h"
#include "runtime/platform/output_file.h"
#include "runtime/platform/quit_signals.h"
#include "runtime/replay/replay.h"
#include "runtime/report/startup_report.h"

namespace {

const char* stopCause = nullptr;
bool progressLineOpen = false;
bool windowShown = false;

void offlineKeyboard(unsigned char key, int, int) {
    if (key == 27) stopCause = "Esc";
}

void drawNothing() {}
void noteWindowShown() { windowShown = true; }
void keepSize(int, int) {}

// The window's events are the run's from here: see the header.
void takeOfflineInput(bool followWindowSize) {
    glutDisplayFunc(drawNothing);
    glutIdleFunc(nullptr);
    glutKeyboardFunc(offlineKeyboard);
    glutMouseFunc(nullptr);
    glutReshapeFunc(followWindowSize ? reshape : keepSize);
}

// Handles pending window events; true once Esc has been pressed, the window
// closed or the program asked by signal to stop.
bool stopRequested() {
    if (hasWindow()) {
        if (takeWindowCloseRequest()) stopCause = "closing the window";
        glutMainLoopEvent();
    }
    if (const int signal = quitSignal()) stopCause = signalName(signal);
    return stopCause != nullptr;
}

// A frame read back from a window that is not on screen yet may hold
// anything: the toolkit asks for the first display once it is shown. Its
// first events also bring its real size when full screen.
void waitUntilWindowShown() {
    glutDisplayFunc(noteWindowShown);
    while (!windowShown && !stopRequested()) {
        glutPostRedisplay();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    glutDisplayFunc(drawNothing);
}

// The frames' folder: one that is there takes files, or the nearest folder
// above it that is there takes the folders the run makes. Found out by
// writing there, as with every output, and without making anything.
bool framesFolderUsable(const std::string& folder, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code fsError;
    const fs::path wanted = fs::absolute(folder, fsError);
    fs::path existing = wanted, below = "frame000000.png";
    while (!fs::exists(fs::symlink_status(existing, fsError)) && existing.has_relative_path()) {
        below = existing.filename();
        existing = existing.parent_path();
    }
    if (!fs::is_directory(existing, fsError)) {
        error = "cannot write frames into \"" + folder + "\": " +
                (existing == wanted ? std::string("it is a file, not a folder")
                                    : "\"" + existing.string() + "\" is not a folder");
        return false;
    }
    if (outputFileUsable((existing / below).string(), error)) return true;
    const std::string why =
        existing == wanted ? error : "cannot make a folder in \"" + existing.string() + "\": " + error;
    error = "cannot write frames into \"" + folder + "\": " + why;
    return false;
}

}  // namespace

bool offlineOutputsUsable(const Options& options, std::string& error) {
    auto usable = [&](const std::string& path) {
        if (outputFileUsable(path, error)) return true;
        error = "cannot write \"" + path + "\": " + error;
        return false;
    };
    if (options.shot && !usable(options.shotPath)) return false;
    if (!options.joinPath.empty() && !usable(options.joinPath)) return false;
    const long long frames = spanFrameCount(options.fromMs, options.toMs, options.offlineFps);
    if (options.partCount > frames) {
        error = "--part " + std::to_string(options.partIndex) + "/" + std::to_string(options.partCount) +
                ": the span has " + std::to_string(frames) + " frames, too few for " +
                std::to_string(options.partCount) + " parts";
        return false;
    }
    if (options.capture == Options::Capture::Video) {
        if (!usable(options.capturePath)) return false;
        if (!helperProgramFound("ffmpeg", error)) {
            error = "cannot write \"" + options.capturePath + "\": " + error;
            return false;
        }
    }
    if (options.benchmark && !options.benchmarkJsonPath.empty() && !usable(options.benchmarkJsonPath)) return false;
    if (options.capture == Options::Capture::Frames && !framesFolderUsable(options.capturePath, error)) return false;
    return true;
}

int runOffline(const OfflineSpan& span, OfflineRun& run) {
    // Playback's unseen first frames, for the tests: they must change
    // nothing, which a shot with them and one without show to the last bit.
    const bool warmingUp = environmentSwitch(EnvVar::WarmUp);
    if (warmingUp) warmUpFrames(span.fromMs);
    startOfflineClock(span.fromMs, span.fps);
    startupLap(StartupStep::MusicStart);
    if (hasWindow()) {
        takeOfflineInput(run.drawsIntoWindow());
        if (run.drawsIntoWindow()) waitUntilWindowShown();
    }
    for (long long i = 0; i < span.skipped; ++i) {
        if (stopRequested()) return run.stopped(0, stopCause);
        stepFrame();
    }
    Progress progress(span.frames);
    for (long long i = 0; i < span.frames; ++i) {
        if (stopRequested()) return run.stopped(i, stopCause);
        if (!run.frame(i)) return 1;
        noteFrameShown();
        if (warmingUp) warmUpLaterScenes(1);
        if (run.showsProgress()) progress.show(i + 1);
    }
    return run.finish();
}

Progress::Progress(long long total) : total_(total), terminal_(isatty(STDERR_FILENO)), start_(Clock::now()) {}

void Progress::show(long long done) {
    const auto now = Clock::now();
    const int tenths = static_cast<int>(done * 10 / total_);
    if (terminal_) {
        // A terminal cannot keep up with hundreds of lines a second.
        if (done < total_ && now - lastShown_ < std::chrono::milliseconds(250)) return;
    } else if (tenths == tenthsShown_) {
        return;
    }
    lastShown_ = now;
    tenthsShown_ = tenths;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double fps = seconds > 0.0 ? done / seconds : 0.0;
    const double left = fps > 0.0 ? (total_ - done) / fps : 0.0;
    if (terminal_) {
        std::fprintf(stderr, "\rafterglow: frame %lld/%lld  %.1f fps  %.0f s left   ", done, total_, fps, left);
        progressLineOpen = done < total_;
        if (!progressLineOpen) std::fputc('\n', stderr);
    } else {
        std::fprintf(stderr, "afterglow: %3d%%  frame %lld/%lld  %.1f fps  %.0f s left\n", tenths * 10, done, total_,
                     fps, left);
    }
    std::fflush(stderr);
}

void endProgressLine() {
    if (progressLineOpen) std::fputc('\n', stderr);
    progressLineOpen = false;
}
