// GL error checks after each start-up step and each part of a frame, so
// the first error is reported with the step (or the file) that raised it.
// They run in debug builds, and in any build when AFTERGLOW_GL_CHECKS=1 is
// set (for tests and bug reports); otherwise they cost nothing.
//
//   checkGlErrorsInDebug("loading the textures");
//
// Only the first error of the run is printed (on stderr); later ones are
// drained quietly, since an error in a frame usually repeats every frame.
#pragma once

// Reads and clears the GL error flags. Prints the first error of the run
// with the step, and returns true when there was one.
bool reportGlErrors(const char* step);

// True in debug builds, and where AFTERGLOW_GL_CHECKS=1 asks for the checks.
bool glChecksEnabled();

inline void checkGlErrorsInDebug(const char* step) {
    if (glChecksEnabled()) reportGlErrors(step);
}
