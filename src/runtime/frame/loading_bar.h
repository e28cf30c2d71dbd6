// Loading bar: a thin progress bar across the middle of the picture band,
// shown as the start-up steps finish, so the window is never a frozen black
// rectangle while the assets load.
//
//   LoadingBar bar(initializeStepCount());
//   bar.begin();    // as soon as the window is open: the empty bar
//   initialize([&](StartupStep) { bar.stepDone(); });
//   bar.finish();   // before the first frame: the window is black again
//
// Everything is drawn with scissored clears of the window's colour buffer:
// no matrices, textures or programs are touched, and what is touched (draw
// buffer, clear colour, colour mask, scissor box and test, dithering) is put
// back as it was. The window's framebuffer must be bound, as it is between
// the steps. Without a window (an offline run through EGL) it does nothing.
#pragma once

#include <chrono>

class LoadingBar {
public:
    // Each showing costs a swap and a round trip to the window system: well
    // under a millisecond of our time, but tens of milliseconds of waiting
    // on a busy machine. Steps that follow one another closely share one
    // showing, and the bar never takes more than about a fifth of the time.
    static constexpr std::chrono::milliseconds kMinInterval{40};
    static constexpr int kIntervalPerShowing = 4;

    explicit LoadingBar(int totalSteps) : total_(totalSteps) {}
    // Draws and shows the empty bar. The first swap of a window also sets up
    // its buffers in the driver, a one-time cost the first frame would pay
    // otherwise.
    void begin();
    // One more step done: the bar is drawn and shown, unless it was shown
    // less than kMinInterval, or four times what the last showing after
    // begin() took, ago.
    void stepDone();
    // Clears the back buffer to black, as the window was before the bar.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    int total_;
    int done_ = 0;
    bool shown_ = false;
    Clock::time_point lastShown_{};
    Clock::duration lastCost_{};
};

// The bar with done of total steps filled, over a black window, into the
// back buffer; no swap.
void drawLoadingBar(int done, int total);
