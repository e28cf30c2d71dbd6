#include "runtime/frame/loading_bar.h"

#include <GL/freeglut.h>

#include <algorithm>

#include "gfx/display.h"
#include "runtime/frame/window.h"

namespace {

// Window coordinates as GL counts them: y up from the bottom edge.
struct Rect {
    int x, y, width, height;
};

struct Colour {
    float red, green, blue, alpha;
};

constexpr Colour kBlack = {0.0f, 0.0f, 0.0f, 0.0f};  // what a new window holds
constexpr Colour kTrack = {0.12f, 0.12f, 0.12f, 1.0f};
constexpr Colour kFill = {0.85f, 0.6f, 0.3f, 1.0f};  // amber

// The bar's track: half the picture's width, centred, in the middle of the
// 16:9 band (the whole window when the bars fall outside it).
Rect trackRect() {
    const int top = std::clamp(letterboxTop(), 0, windowHeight);
    const int bottom = std::clamp(letterboxBottom(), top, windowHeight);
    const int height = std::max(2, (bottom - top) / 144);
    const int middle = (top + bottom) / 2;
    return {displayWidth / 4, windowHeight - (middle + height / 2), displayWidth / 2, height};
}

// Pushes what clearing the back buffer depends on and sets it plainly:
// every colour channel written, no dithering, no scissor.
void beginClears() {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glDrawBuffer(GL_BACK);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_DITHER);
    glDisable(GL_SCISSOR_TEST);
}

void endClears() { glPopAttrib(); }

// Sets: clear colour; with a rectangle, the scissor box and test. Inside
// beginClears / endClears.
void clearTo(const Colour& c) {
    glClearColor(c.red, c.green, c.blue, c.alpha);
    glClear(GL_COLOR_BUFFER_BIT);
}

void clearRect(const Rect& r, const Colour& c) {
    if (r.width <= 0 || r.height <= 0) return;
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.x, r.y, r.width, r.height);
    clearTo(c);
}

}  // namespace

void drawLoadingBar(int done, int total) {
    beginClears();
    clearTo(kBlack);
    const Rect track = trackRect();
    clearRect(track, kTrack);
    const double part = total > 0 ? std::clamp(static_cast<double>(done) / total, 0.0, 1.0) : 1.0;
    clearRect({track.x, track.y, static_cast<int>(track.width * part), track.height}, kFill);
    endClears();
}

void LoadingBar::begin() {
    if (!hasWindow()) return;
    drawLoadingBar(done_, total_);
    glutSwapBuffers();
    lastShown_ = Clock::now();
    shown_ = true;
}

void LoadingBar::stepDone() {
    if (!hasWindow()) return;
    done_ += 1;
    const Clock::time_point start = Clock::now();
    if (shown_ && start - lastShown_ < std::max<Clock::duration>(kMinInterval, kIntervalPerShowing * lastCost_)) return;
    drawLoadingBar(done_, total_);
    glutSwapBuffers();
    lastShown_ = Clock::now();
    lastCost_ = lastShown_ - start;
    shown_ = true;
}

void LoadingBar::finish() {
    if (!hasWindow()) return;
    beginClears();
    clearTo(kBlack);
    endClears();
}
