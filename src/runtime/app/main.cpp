// Afterglow: a music-synchronised 3D presentation.
//
// Opens the window, loads everything, starts the music and runs the frame
// loop until the music passes its end or Esc is pressed.
#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "gfx/message_box.h"
#include "runtime/app/data_lookup.h"
#include "runtime/app/run_modes.h"
#include "runtime/audio/music.h"
#include "runtime/audio/music_preload.h"
#include "runtime/environment/environment.h"
#include "runtime/frame/clock_log.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/loading_bar.h"
#include "runtime/frame/quit.h"
#include "runtime/frame/startup.h"
#include "runtime/frame/window.h"
#include "runtime/offline/offline_run.h"
#include "runtime/options/options.h"
#include "runtime/platform/huge_pages.h"
#include "runtime/platform/quiet_stdout.h"
#include "runtime/platform/quit_signals.h"
#include "runtime/platform/standard_streams.h"
#include "runtime/report/startup_report.h"

namespace {

constexpr int kDisplayMode = GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE;  // 146

// freeglut's own message for a missing display is cryptic and it exits 1;
// the caller says what is wrong in plain words first, from problem. The
// connection stays open until the toolkit has its own: a server that resets
// when its last client leaves would otherwise refuse the next one for a
// moment.
Display* openDisplayCheck(std::string& problem) {
    const char* name = environmentValue(EnvVar::Display);
    if (!name) {
        problem = "DISPLAY is not set";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) problem = std::string("cannot open display \"") + name + "\"";
    return display;
}

// The last resort for an exception nothing caught (memory that ran out
// where nothing expected it to): one line and exit code 1, never an abort.
[[noreturn]] void sayUncaughtAndExit() {
    try {
        if (const std::exception_ptr uncaught = std::current_exception()) std::rethrow_exception(uncaught);
        std::fputs("afterglow: stopped on an internal error\n", stderr);
    } catch (const std::bad_alloc&) {
        std::fputs("afterglow: not enough memory to go on; stopping\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "afterglow: stopped on an internal error (%s)\n", e.what());
    } catch (...) {
        std::fputs("afterglow: stopped on an internal error\n", stderr);
    }
    exitAtOnce(1);
}

}  // namespace

int main(int argc, char** argv) {
    useStandardStreams();
    std::set_terminate(sayUncaughtAndExit);
    installQuitSignals();
    setQuitHook(quitProgram);  // gfx ends the program this way too
    ParseResult parsed = parseOptions(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "afterglow: %s\nTry 'afterglow --help' for more information.\n", parsed.error.c_str());
        return 2;
    }
    Options& options = parsed.options;
    if (options.help || options.version) {
        writeStandardOutput(options.help ? usageText(argv[0]) : versionText(AFTERGLOW_VERSION));
        return standardOutputExitCode(0);
    }
    useHugePages();
    startupLap(StartupStep::ProgramLoad);

    for (const std::string& warning : parsed.warnings) std::fprintf(stderr, "afterglow: %s\n", warning.c_str());
    std::string outputError;
    if (!offlineOutputsUsable(options, outputError)) {
        std::fprintf(stderr, "afterglow: %s\n", outputError.c_str());
        return 1;
    }
    // Opened here, while a relative name still means the starting folder.
    if (!options.clockLogPath.empty() && !openClockLog(options.clockLogPath, outputError)) {
        std::fprintf(stderr, "afterglow: %s\n", outputError.c_str());
        return 1;
    }
    QuietStdout loadingLines(options.quiet);
    if (!enterDataFolder(options)) return 1;
    const RunMode& mode = chooseRunMode(options);
    if (!mode.drawsPictures) quitProgram(mode.run(options));
    // The music decodes on its own thread from here while the window opens
    // and everything else loads; startMusic() (or an offline run's clock)
    // waits for it. It reads "demo.mp3" from the data folder just entered.
    beginMusicDecode(MusicConfig{}.path);

    // Playback needs the window; an offline run draws without one where
    // there is no display to open, or when asked to.
    std::string noDisplay;
    Display* displayCheck = options.headless ? nullptr : openDisplayCheck(noDisplay);
    if (!displayCheck && !mode.offline) {
        std::fprintf(stderr, "afterglow: no display: %s (run it in an X session, or under xvfb-run)\n",
                     noDisplay.c_str());
        return 1;
    }

    if (mode.unattended || !displayCheck) setMessageBoxesEnabled(false);
    if (displayCheck && mode.beforeContext) mode.beforeContext();
    windowWidth = displayWidth = options.width;
    windowHeight = displayHeight = options.height;
    if (!displayCheck) {
        if (!openWithoutWindow(options.headless ? "--headless" : "no display (" + noDisplay + ")")) return 1;
    } else {
        glutInit(&argc, argv);
        XCloseDisplay(displayCheck);
        glutInitDisplayMode(kDisplayMode);
        openWindow(options);
    }
    startupLap(StartupStep::Context);
    LoadingBar loadingBar(initializeStepCount());
    loadingBar.begin();
    startupLap(StartupStep::FirstSwap);

    initialize([&loadingBar](StartupStep step) {
        startupLap(step);
        loadingBar.stepDone();
        startupLap(StartupStep::LoadingBar);
    });
    loadingBar.finish();
    loadingLines.end();
    reshape(windowWidth, windowHeight);
    if (quitSignal()) quitProgram(0);  // asked during start-up: no music, no capture
    quitProgram(mode.run(options));
}
