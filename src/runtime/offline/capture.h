// Offline capture: the frames of a span of music rendered on the offline
// clock into an off-screen picture of the requested size, each one read back
// and written out: numbered PNG files (--frames) or a video through ffmpeg
// (--capture, runtime/offline/video_pipe.h). With --part K/N only the K-th
// slice of the span's frames is drawn (runtime/offline/parts.h).
//
//   initialize(); reshape(w, h);
//   return runCapture(options);   // instead of startMusic + glutMainLoop
#pragma once

#include "runtime/options/options.h"

// Renders options.fromMs + i * 1000 / options.offlineFps for every i with a
// time before options.toMs (or those of its part) and writes the pictures.
// Progress goes to stderr; Esc, the close button or a quit signal stops the
// run and removes an unfinished video. Returns the exit code: 0 when every
// frame was written, else 1 after a message.
int runCapture(const Options& options);
