// The ways the program runs, chosen in one place from the command line:
// playback (with or without dev mode) against the music, or one of the
// offline runs on the fixed frame clock (shot, frames, capture, benchmark);
// or the join of a split capture's parts, which draws nothing.
//
//   const RunMode& mode = chooseRunMode(options);
//   if (!mode.drawsPictures) quitProgram(mode.run(options));  // no display, no GL
//   ... open the window (or EGL when mode.offline allows), initialize() ...
//   quitProgram(mode.run(options));
//
// Each mode owns its input: it takes the window's events when it starts.
#pragma once

#include "runtime/options/options.h"

struct RunMode {
    const char* name;
    // Draws on the fixed frame clock, and so can draw through EGL with no
    // display at all.
    bool offline = false;
    // Nobody is there to click: message boxes only print.
    bool unattended = false;
    // Needs the window or EGL, start-up and the scenes; false for the join,
    // which runs before any of that.
    bool drawsPictures = true;
    // Called before the GL context exists, where there is a display; or none.
    void (*beforeContext)() = nullptr;
    // Runs after start-up; returns the exit code (playback never returns).
    int (*run)(const Options& options) = nullptr;
};

const RunMode& chooseRunMode(const Options& options);
