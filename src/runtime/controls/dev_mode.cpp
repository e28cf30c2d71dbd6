#include "runtime/controls/dev_mode.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/audio/music.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/quit.h"
#include "runtime/frame/startup.h"
#include "runtime/replay/replay.h"
#include "runtime/timeline/timeline.h"

namespace {

// Seeks rebuild the state on the clock of a shot, so that a seek shows what
// `--shot` shows there.
constexpr double kFrameMs = 1000.0 / kShotFps;
constexpr double kSeekMs = 1000.0;
constexpr double kLongSeekMs = 10000.0;
void* const kFont = GLUT_BITMAP_8_BY_13;
constexpr int kFontHeight = 13;
constexpr int kMargin = 6;

bool lineShown = true;
// What the last keys did, said once the frame that shows it is drawn: a
// rebuild or a reload can take a while.
std::string pendingReport;

void report(const std::string& text) { pendingReport += "afterglow: " + text + "\n"; }

// Frames drawn over the last wall-clock second, for the line.
struct WallFrameRate {
    using Clock = std::chrono::steady_clock;
    Clock::time_point since = Clock::now();
    int frames = 0;
    int shown = 0;

    void count() {
        frames += 1;
        const Clock::time_point now = Clock::now();
        if (now - since < std::chrono::seconds(1)) return;
        shown = frames;
        frames = 0;
        since = now;
    }
} wallFrameRate;

int sceneAt(double ms) { return sceneIndexAt(static_cast<float>(ms)); }

void sayWhere(double ms) {
    const int scene = sceneAt(ms);
    char text[96];
    std::snprintf(text, sizeof text, "%.1f ms, scene %d at %.1f ms, %s", ms, scene, ms - sceneStartMs[scene],
                  musicPaused() ? "paused" : "playing");
    report(text);
}

void seekTo(double ms) {
    ms = std::clamp(ms, 0.0, static_cast<double>(kPresentationEndMs));
    rebuildSceneStateAt(ms, kShotFps);
    moveMusicTo(ms);
    sayWhere(ms);
}

void seekBy(double deltaMs) { seekTo(static_cast<double>(musicTimeMs) + deltaMs); }

void togglePause() {
    pauseMusic(!musicPaused());
    sayWhere(musicTimeMs);
}

void reloadShaders() {
    const int failed = reloadPrograms();
    if (failed == 0)
        report("shaders reloaded");
    else
        report("shaders reloaded; " + std::to_string(failed) + (failed == 1 ? " program" : " programs") +
               " kept the previous version");
}

void reloadTextures() {
    const TextureManager::Reload r = engine->textures->reloadImages();
    std::string text = std::to_string(r.reloaded) + " images reloaded";
    if (r.kept > 0) text += "; " + std::to_string(r.kept) + " kept the previous image";
    report(text);
}

void devKeyboard(unsigned char key, int, int) {
    switch (key) {
    case ' ': togglePause(); break;
    case '.':
        if (musicPaused()) seekBy(kFrameMs);
        break;
    case ',':
        if (musicPaused()) seekBy(-kFrameMs);
        break;
    case 'r':
    case 'R': reloadShaders(); break;
    case 't':
    case 'T': reloadTextures(); break;
    case 'h':
    case 'H': lineShown = !lineShown; break;
    case 27: quitProgram(0);
    default: break;
    }
}

void devSpecialKey(int key, int, int) {
    const double seek = (glutGetModifiers() & GLUT_ACTIVE_SHIFT) ? kLongSeekMs : kSeekMs;
    switch (key) {
    case GLUT_KEY_LEFT: seekBy(-seek); break;
    case GLUT_KEY_RIGHT: seekBy(seek); break;
    case GLUT_KEY_PAGE_UP: seekTo(previousSceneLandingMs(musicTimeMs)); break;
    case GLUT_KEY_PAGE_DOWN: seekTo(nextSceneLandingMs(musicTimeMs)); break;
    case GLUT_KEY_HOME: seekTo(0.0); break;
    default: break;
    }
}

void devMouseButton(int button, int state, int, int) {
    if (state != GLUT_UP) return;
    if (button == GLUT_LEFT_BUTTON) seekBy(kSeekMs);
    if (button == GLUT_RIGHT_BUTTON) seekBy(-kSeekMs);
}

// While paused the frame rate gives way to "paused": the held frame's line
// stays as still as its picture.
std::string lineText() {
    const int scene = std::clamp(sceneIndex, 0, kSceneCount - 1);
    const std::string rate = musicPaused() ? "paused" : std::to_string(wallFrameRate.shown) + " fps";
    char text[160];
    std::snprintf(text, sizeof text, "%d ms  scene %d +%d ms  B %d  beat %d  %s", static_cast<int>(musicTimeMs), scene,
                  static_cast<int>(musicTimeMs) - sceneStartMs[scene], trackBCountInScene(), beatIndex(),
                  rate.c_str());
    return text;
}

void drawLine() {
    const std::string text = lineText();
    const unsigned char* chars = reinterpret_cast<const unsigned char*>(text.c_str());
    const int width = glutBitmapLength(kFont, chars);
    engine->shaders->unuse();
    engine->setOrtho2D(static_cast<float>(windowWidth), static_cast<float>(windowHeight));
    // Leaves the flat state with blending and texturing off.
    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendOff, .texture2D = kOff, .lighting = kOff, .fog = kOff});
    // In the lower bar where there is one; on black, so it reads over a
    // picture without bars too.
    const int baseline = windowHeight - kMargin - 3;
    glColor3f(0.0f, 0.0f, 0.0f);
    glRecti(0, baseline - kFontHeight - 1, width + 2 * kMargin, windowHeight);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(kMargin, baseline);
    glutBitmapString(kFont, chars);
}

double sceneLandingMs(int scene) { return scene == 0 ? 0.0 : sceneStartMs[scene] + 1.0; }

void drawOverlay() {
    wallFrameRate.count();
    if (lineShown) drawLine();
    if (pendingReport.empty()) return;
    std::fputs(pendingReport.c_str(), stderr);
    std::fflush(stderr);
    pendingReport.clear();
}

}  // namespace

void enableDevMode(double startMs) {
    glutKeyboardFunc(devKeyboard);
    glutSpecialFunc(devSpecialKey);
    glutMouseFunc(devMouseButton);
    setFrameOverlay(drawOverlay);
    seekTo(startMs);
}

double previousSceneLandingMs(double nowMs) {
    for (int scene = kSceneCount - 1; scene > 0; --scene)
        if (sceneLandingMs(scene) < nowMs - 0.5) return sceneLandingMs(scene);
    return 0.0;
}

double nextSceneLandingMs(double nowMs) {
    for (int scene = 1; scene < kSceneCount; ++scene)
        if (sceneLandingMs(scene) > nowMs + 0.5) return sceneLandingMs(scene);
    return nowMs;
}
