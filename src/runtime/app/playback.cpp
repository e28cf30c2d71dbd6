#include "runtime/app/playback.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <string>

#include "runtime/audio/music.h"
#include "runtime/controls/dev_mode.h"
#include "runtime/controls/show_controls.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/report/startup_report.h"

namespace {

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

int runPlayback(const Options& options) {
    glutDisplayFunc(options.startupReport ? displayFirstFrameThenReport : displayFrame);
    glutIdleFunc(idleRedisplay);
    glutReshapeFunc(reshape);
    takeShowControls();
    if (options.loop) enableLoop();
    MusicConfig music;
    music.mode = options.silent ? ClockMode::Steady : ClockMode::Audio;
    music.startMs = options.startMs;
    startMusic(music);
    startupLap(StartupStep::MusicStart);
    if (options.dev) enableDevMode(music.startMs);
    glutMainLoop();
    return 0;
}
