#include "runtime/frame/frame_loop.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/crt_random.h"
#include "assets/vec_math.h"
#include "gfx/engine.h"
#include "gfx/gl_extensions.h"
#include "gfx/gl_check.h"
#include "gfx/gl_state.h"
#include "gfx/picture_fit.h"
#include "runtime/audio/music.h"
#include "runtime/frame/clock_log.h"
#include "runtime/frame/quit.h"
#include "runtime/frame/window.h"
#include "runtime/platform/huge_pages.h"
#include "runtime/platform/quit_signals.h"
#include "runtime/replay/replay.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"

float fpsAccumMs = 0.0f;
int framesCounted = 0;
int fpsShown = 0;

namespace {

bool looping = false;
void (*frameOverlay)() = nullptr;

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

// startOver(), and the music at 0.
void restartPresentation() {
    startOver();
    seekMusic(-musicTimeMs);
}

}  // namespace

void beginFrame() {
    noteClockRead();
    if (offlineClockRunning())
        advanceOfflineClock();
    else
        updateMusicClock();
    refreshSpectrum();
    sceneIndex = findSceneIndex();
    countFrame();
}

void updateFrame() {
    // A held clock holds the state too: the paused frame is drawn again as it was.
    if (validScene() && !musicPaused()) sceneTable[sceneIndex].update();
}

void stepFrame() {
    beginFrame();
    updateFrame();
}

void displayFrame() {
    if (quitSignal()) quitProgram(0);
    if (!drawFrame()) return;
    presentFrame();
    if (frameOverlay) frameOverlay();
    // The first frame replaces the loading bar with the first note: the
    // music starts once it is drawn.
    waitForMusicToPlay([] { return quitSignal() != 0; });
    if (hasWindow()) glutSwapBuffers();
    noteFrameShown();
    // The other scenes' shader variants, a scene every third of a second
    // or so: the stall of one (tens of milliseconds on a software driver)
    // in the first seconds, instead of at every scene's first frame.
    warmUpLaterScenes(20);
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
    beginFrame();
    showFrameRate();
    if (validScene()) sceneTable[sceneIndex].render();
    if (glChecksEnabled()) {
        const std::string step = "scene " + std::to_string(sceneIndex) + " at " +
                                 std::to_string(static_cast<int>(musicTimeMs)) + " ms";
        checkGlErrorsInDebug(step.c_str());
    }
    // Drawn first, then emitted and moved: a frame shows what the frames
    // before it left, so a burst shows from the frame after the one that
    // emits it, and a scene's first frame shows none of what it emits.
    updateFrame();
    // The frame past the end is drawn but never shown.
    if (musicTimeMs > static_cast<float>(kPresentationEndMs)) {
        if (!looping) quitProgram(0);
        restartPresentation();
        return false;
    }
    drawLetterbox();
    checkGlErrorsInDebug("the letterbox bars");
    endHugePages();  // start-up ends with the first frame (a no-op after it)
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

namespace {

bool sceneWarm[kSceneCount] = {};
int coldScene = 0;  // no scene before it is still to be warmed
int framesSinceWarmUp = 0;

// What the show's globals hold between two frames, which an unseen frame
// borrows: the clock, the scene, the spectrum and both random sequences.
struct ShowState {
    float clockMs;
    int scene;
    float* bins;
    uint32_t crtRandom;
    uint32_t random;

    static ShowState current() { return {musicTimeMs, sceneIndex, spectrumBins, crtRandState(), randomState()}; }
    void restore() const {
        spectrumBins = bins;
        placeClock(clockMs);
        sceneIndex = scene;
        setCrtRandState(crtRandom);
        seedRandom(random);
    }
};

// Draws the frame of scene k at ms, unseen (see warmUpFrames), and leaves
// everything as it found it, the GL switches aside: their copy in the
// funnel is dropped.
void drawUnseen(int k, double ms) {
    const ShowState shown = ShowState::current();
    GLint framebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (const GLenum matrix : {GL_PROJECTION, GL_MODELVIEW, GL_TEXTURE}) {
        glMatrixMode(matrix);
        glPushMatrix();
    }
    // Unheard: a silent spectrum.
    static float silence[kSpectrumSize] = {};
    spectrumBins = silence;
    // The driver prepares each draw as it would at any size; filling one
    // pixel instead of the picture makes the frames nearly free.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    placeClock(static_cast<float>(ms));
    sceneIndex = k;
    engine->shaders->unuse();
    sceneTable[k].render();
    drawLetterbox();
    sceneWarm[k] = true;
    glFinish();
    for (const GLenum matrix : {GL_TEXTURE, GL_MODELVIEW, GL_PROJECTION}) {
        glMatrixMode(matrix);
        glPopMatrix();
    }
    glPopAttrib();
    glExtensions.bindFramebuffer(GL_FRAMEBUFFER_EXT, static_cast<unsigned int>(framebuffer));
    engine->shaders->unuse();
    forgetGlState();  // the pop put back what the funnel did not set
    shown.restore();
}

}  // namespace

void warmUpFrames(double ms) {
    drawUnseen(sceneIndexAt(static_cast<float>(ms)), ms);
    setGlState({.depthTest = kOn});  // as start-up leaves it
}

void warmUpLaterScenes(int framesApart) {
    // A scene drawn for real has had its variants made.
    if (validScene()) sceneWarm[sceneIndex] = true;
    if (++framesSinceWarmUp < framesApart) return;
    while (coldScene < kSceneCount && sceneWarm[coldScene]) ++coldScene;
    if (coldScene == kSceneCount) return;
    framesSinceWarmUp = 0;
    drawUnseen(coldScene, sceneStartMs[coldScene]);
}

void enableLoop() { looping = true; }

void startOver() {
    restoreStartOfShow();
    fpsAccumMs = 0.0f;
    framesCounted = 0;
}

void setFrameOverlay(void (*overlay)()) { frameOverlay = overlay; }
