#include "runtime/frame_loop.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "gfx/engine.h"
#include "gfx/gl_check.h"
#include "gfx/gl_state.h"
#include "gfx/picture_fit.h"
#include "runtime/dev_mode.h"
#include "runtime/music.h"
#include "runtime/quit_signals.h"
#include "runtime/scene_state.h"
#include "runtime/screenshot.h"
#include "runtime/timeline.h"
#include "runtime/window.h"
#include "scenes/scenes.h"

float fpsAccumMs = 0.0f;
int framesCounted = 0;
int fpsShown = 0;

namespace {

std::string shotPath;

bool looping = false;

// Set by quitProgram: the toolkit's own clean-up at exit destroys the
// window too, and that close must not start a second exit.
bool leaving = false;

// While the window is not the picture's size, each frame is drawn at the
// picture's size off-screen and presentFrame() fits it into the window;
// the window's real size waits here meanwhile.
struct Fitting {
    bool active = false;
    int width = 0;
    int height = 0;
} fitting;

bool drawPicture();

void countFrame() {
    fpsAccumMs += frameDeltaMs;
    framesCounted += 1;
    if (fpsAccumMs >= 1000.0f) {
        fpsShown = framesCounted;
        framesCounted = 0;
        fpsAccumMs -= 1000.0f;
    }
}

void showFrameRate() {
    if (!hasWindow()) return;
    char title[32];
    std::snprintf(title, sizeof title, "%d", fpsShown);
    glutSetWindowTitle(title);
}

bool validScene() { return sceneIndex >= 0 && sceneIndex < kSceneCount; }

// Leaves: 2D pixel projection, blending, culling and texturing off.
void drawLetterbox() {
    engine->setOrtho2D(static_cast<float>(windowWidth), static_cast<float>(windowHeight));
    setGlState({.blend = kBlendOff, .texture2D = kOff});
    glColor3f(0.0f, 0.0f, 0.0f);
    const float top = static_cast<float>(letterboxTop());
    const float bottom = static_cast<float>(letterboxBottom());
    const float w = static_cast<float>(displayWidth);
    const float h = static_cast<float>(windowHeight);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, bottom);
    glVertex2f(w, bottom);
    glVertex2f(w, h);
    glVertex2f(0.0f, h);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(w, 0.0f);
    glVertex2f(w, top);
    glVertex2f(0.0f, top);
    glEnd();
}

// Back to the state of the first frame: every scene as its init left it,
// both random sequences where start-up left them, the music at 0.
void restartPresentation() {
    restoreStartOfShow();
    seekMusic(-musicTimeMs);
    fpsAccumMs = 0.0f;
    framesCounted = 0;
}

void writeShot() {
    std::string error;
    if (!saveBackBufferPng(shotPath, displayWidth, displayHeight, error)) {
        std::fprintf(stderr, "afterglow: cannot write \"%s\": %s\n", shotPath.c_str(), error.c_str());
        quitProgram(1);
    }
    quitProgram(0);
}

}  // namespace

void stepFrame() {
    updateMusicClock();
    sceneIndex = findSceneIndex();
    countFrame();
    // A held clock holds the state too: the paused frame is drawn again as it was.
    if (validScene() && !musicPaused()) sceneTable[sceneIndex].update();
}

void displayFrame() {
    if (quitSignal()) quitProgram(0);
    if (!drawFrame()) return;
    if (!shotPath.empty()) writeShot();  // the picture itself: before it is fitted or swapped
    presentFrame();
    drawDevOverlay();
    if (hasWindow()) glutSwapBuffers();
}

bool drawFrame() {
    fitting.active = (windowWidth != displayWidth || windowHeight != displayHeight) && !windowTargetIsOffscreen() &&
                     beginFittedPicture(displayWidth, displayHeight);
    if (!fitting.active) return drawPicture();
    fitting.width = windowWidth;
    fitting.height = windowHeight;
    windowWidth = displayWidth;
    windowHeight = displayHeight;
    const bool shown = drawPicture();
    windowWidth = fitting.width;
    windowHeight = fitting.height;
    if (!shown) {
        setWindowTarget(0);
        fitting.active = false;
    }
    return shown;
}

void presentFrame() {
    if (!fitting.active) return;
    endFittedPicture(windowWidth, windowHeight);
    fitting.active = false;
}

namespace {

// The frame into whatever the window target is.
bool drawPicture() {
    engine->shaders->unuse();
    stepFrame();
    showFrameRate();
    if (validScene()) sceneTable[sceneIndex].render();
    if (glChecksEnabled()) {
        const std::string step = "scene " + std::to_string(sceneIndex) + " at " +
                                 std::to_string(static_cast<int>(musicTimeMs)) + " ms";
        checkGlErrorsInDebug(step.c_str());
    }
    // The frame past the end is drawn but never shown.
    if (musicTimeMs > static_cast<float>(kPresentationEndMs)) {
        if (!looping) quitProgram(0);
        restartPresentation();
        return false;
    }
    drawLetterbox();
    checkGlErrorsInDebug("the letterbox bars");
    return true;
}

}  // namespace

void idleRedisplay() {
    // Also here: a window that is not shown is not redrawn.
    if (quitSignal()) quitProgram(0);
    glutPostRedisplay();
}

void reshape(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(width) / height, static_cast<double>(0.1f), 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void keyboard(unsigned char key, int, int) {
    if (key == 27) quitProgram(0);
}

void windowClosed() {
    if (!leaving) quitProgram(0);
}

void mouseButton(int button, int state, int, int) {
    if (state != GLUT_UP) return;
    if (button == GLUT_LEFT_BUTTON) seekMusic(1000.0f);
    if (button == GLUT_RIGHT_BUTTON) seekMusic(-1000.0f);
}

void enableLoop() { looping = true; }

void requestShot(const std::string& path) { shotPath = path; }

void quitProgram(int code) {
    leaving = true;
    if (const int signal = quitSignal()) code = signalExitCode(signal);
    stopMusic();
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(code);
}
