// Shot: one frame rendered on the fixed clock and written as PNG.
//
//   return runShot(options);   // after initialize() and reshape()
//
// The frame at options.shotMs is drawn with the state a run from 0 at
// kShotFps has there (runtime/replay/replay.h) into the window (or the EGL
// context's off-screen window target), bars included, at the display size,
// and read back before it is fitted to the window or swapped.
#pragma once

#include "runtime/options/options.h"

// Returns the exit code: 0 once the file is written, 1 after a message
// when it cannot be. Esc or closing the window before the frame is drawn
// ends it with 0 and no file, as they end playback.
int runShot(const Options& options);
