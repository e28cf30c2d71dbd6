// Afterglow: a music-synchronised 3D presentation.
//
// Opens the window, loads everything, starts the music and runs the frame
// loop until the music passes its end or Esc is pressed.
#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gfx/message_box.h"
#include "runtime/benchmark.h"
#include "runtime/capture.h"
#include "runtime/data_lookup.h"
#include "runtime/dev_mode.h"
#include "runtime/frame_loop.h"
#include "runtime/huge_pages.h"
#include "runtime/loading_bar.h"
#include "runtime/music.h"
#include "runtime/music_preload.h"
#include "runtime/offline_run.h"
#include "runtime/options.h"
#include "runtime/quit_signals.h"
#include "runtime/startup.h"
#include "runtime/startup_report.h"
#include "runtime/timeline.h"
#include "runtime/window.h"

namespace {

constexpr int kDisplayMode = GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE;  // 146
constexpr double kOfflineFps = 60.0;  // of a shot's lead-in

// freeglut's own message for a missing display is cryptic and it exits 1;
// the caller says what is wrong in plain words first, from problem. The
// connection stays open until the toolkit has its own: a server that resets
// when its last client leaves would otherwise refuse the next one for a
// moment.
Display* openDisplayCheck(std::string& problem) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        problem = "DISPLAY is not set";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) problem = std::string("cannot open display \"") + name + "\"";
    return display;
}

// The first frame of playback, then the start-up report: the frame is
// finished before the time is taken, so it counts until it is on screen.
void displayFirstFrameThenReport() {
    displayFrame();
    glFinish();
    startupLap(StartupStep::FirstFrame);
    std::fputs(("\n" + startupTable(startupReport())).c_str(), stdout);
    std::fflush(stdout);
    glutDisplayFunc(displayFrame);
}

}  // namespace

int main(int argc, char** argv) {
    installQuitSignals();
    setQuitHook(quitProgram);  // gfx ends the program this way too
    ParseResult parsed = parseOptions(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "afterglow: %s\nTry 'afterglow --help' for more information.\n", parsed.error.c_str());
        return 2;
    }
    Options& options = parsed.options;
    if (options.help) {
        std::fputs(usageText(argv[0]).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("afterglow %s\n", AFTERGLOW_VERSION);
        return 0;
    }
    useHugePages();
    startupLap(StartupStep::ProgramLoad);

    for (const std::string& warning : parsed.warnings) std::fprintf(stderr, "afterglow: %s\n", warning.c_str());
    std::string outputError;
    if (!offlineOutputsUsable(options, outputError)) {
        std::fprintf(stderr, "afterglow: %s\n", outputError.c_str());
        return 1;
    }
    if (!enterDataFolder(options)) return 1;
    // The music decodes on its own thread from here while the window opens
    // and everything else loads; startMusic() (or an offline run's clock)
    // waits for it. It reads "demo.mp3" from the data folder just entered.
    beginMusicDecode(MusicConfig{}.path);

    // Playback needs the window; an offline run draws without one where
    // there is no display to open, or when asked to.
    const bool capturing = options.capture != Options::Capture::Off;
    const bool offline = options.shot || capturing || options.benchmark;
    std::string noDisplay;
    Display* displayCheck = options.headless ? nullptr : openDisplayCheck(noDisplay);
    if (!displayCheck && !offline) {
        std::fprintf(stderr, "afterglow: no display: %s (run it in an X session, or under xvfb-run)\n",
                     noDisplay.c_str());
        return 1;
    }

    // Nobody is there to click.
    if (options.shot || capturing || !displayCheck) setMessageBoxesEnabled(false);
    if (options.benchmark && displayCheck) allowSwapWithoutVsync();  // before the GL context exists
    windowWidth = displayWidth = options.width;
    windowHeight = displayHeight = options.height;
    if (!displayCheck) {
        if (!openWithoutWindow(options.headless ? "--headless" : "no display (" + noDisplay + ")")) return 1;
    } else {
        glutInit(&argc, argv);
        XCloseDisplay(displayCheck);
        glutInitDisplayMode(kDisplayMode);
        openWindow(options);
        glutDisplayFunc(displayFrame);
        glutIdleFunc(idleRedisplay);
        glutReshapeFunc(reshape);
        glutKeyboardFunc(keyboard);
        glutMouseFunc(mouseButton);
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
    reshape(windowWidth, windowHeight);
    if (quitSignal()) quitProgram(0);  // asked during start-up: no music, no capture

    if (capturing) quitProgram(runCapture(options));
    if (options.benchmark) quitProgram(runBenchmark(options));

    if (options.shot) {
        startOfflineClock(options.shotMs, kOfflineFps);
        requestShot(options.shotPath);
        while (!hasWindow()) displayFrame();  // the first frame drawn is written, and ends the program
    } else {
        if (options.loop) enableLoop();
        MusicConfig music;
        music.mode = options.silent ? ClockMode::Steady : ClockMode::Audio;
        music.startMs = options.startMs;
        startMusic(music);
        startupLap(StartupStep::MusicStart);
        if (options.dev) enableDevMode(music.startMs);
        if (options.startupReport) glutDisplayFunc(displayFirstFrameThenReport);
    }
    glutMainLoop();
    return 0;
}
