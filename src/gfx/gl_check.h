// GL error checks for debug builds: after each start-up step and each part
// of a frame, so the first error is reported with the step that raised it.
//
//   checkGlErrorsInDebug("loading the textures");
//
// Only the first error of the run is printed (on stderr); later ones are
// drained quietly, since an error in a frame usually repeats every frame.
#pragma once

// Reads and clears the GL error flags. Prints the first error of the run
// with the step, and returns true when there was one.
bool reportGlErrors(const char* step);

#ifdef NDEBUG
inline void checkGlErrorsInDebug(const char*) {}
#else
inline void checkGlErrorsInDebug(const char* step) { reportGlErrors(step); }
#endif
