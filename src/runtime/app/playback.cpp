#include "runtime/app/playback.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <string>

#include "runtime/app/dev_mode.h"
#include "runtime/audio/music.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/quit.h"
#include "runtime/report/startup_report.h"

namespace {

void keyboard(unsigned char key, int, int) {
    if (key == 27) quitProgram(0);
}

void mouseButton(int button, int state, int, int) {
    if (state != GLUT_UP) return;
    if (button == GLUT_LEFT_BUTTON) seekMusic(1000.0f);
    if (button == GLUT_RIGHT_BUTTON) seekMusic(-1000.0f);
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

int runPlayback(const Options& options) {
    glutDisplayFunc(options.startupReport ? displayFirstFrameThenReport : displayFrame);
    glutIdleFunc(idleRedisplay);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouseButton);
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
