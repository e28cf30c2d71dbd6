// Offline capture: the frames of a span of music rendered on the offline
// clock into an off-screen picture of the requested size, each one read back
// and written out.
//
//   initialize(); reshape(w, h);
//   return runCapture(options);   // instead of startMusic + glutMainLoop
#pragma once

#include "runtime/options.h"

// Renders options.fromMs + i * 1000 / options.captureFps for every i with a
// time before options.toMs and writes the pictures. A progress line goes to
// stderr. Returns the exit code: 0 when every frame was written, else 1
// after a message.
int runCapture(const Options& options);

// Frames an offline run steps through without drawing before the frame at
// ms, so that it starts from the start of that frame's scene: spaced
// 1000 / fps so that the last one lands exactly on ms.
int leadInFrames(double ms, double fps);

// Frames in [fromMs, toMs) at fps, at least one.
long long captureFrameCount(double fromMs, double toMs, int fps);
