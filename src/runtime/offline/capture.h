// Offline capture: the frames of a span of music rendered on the offline
// clock into an off-screen picture of the requested size, each one read back
// and written out.
//
//   initialize(); reshape(w, h);
//   return runCapture(options);   // instead of startMusic + glutMainLoop
#pragma once

#include "runtime/options/options.h"

// Renders options.fromMs + i * 1000 / options.offlineFps for every i with a
// time before options.toMs and writes the pictures. A progress line goes to
// stderr; Esc stops the run. Returns the exit code: 0 when every frame was
// written, else 1 after a message.
int runCapture(const Options& options);
