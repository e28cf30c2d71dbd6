// Benchmark: the presentation (or a span of it) on the offline clock, drawn
// into the window and swapped as fast as the machine allows, every frame
// timed and its fragments counted; then the fill rate of the same context is
// measured so each scene's frame time can be set against the time its
// fragments alone would take.
//
//   allowSwapWithoutVsync();            // before the GL context exists
//   ... initialize(); reshape(w, h);
//   return runBenchmark(options);       // instead of startMusic + glutMainLoop
#pragma once

#include "runtime/options/options.h"

// Asks the driver, before the context is made, not to tie swaps to the
// vertical blank (Mesa reads this at context creation).
void allowSwapWithoutVsync();

// Runs options.fromMs + i * 1000 / options.offlineFps for every i with a
// time before options.toMs, with a progress line on stderr; Esc ends the run
// early and reports what was measured. Prints the report on stdout and
// writes it as JSON to options.benchmarkJsonPath when one is given. Returns
// the exit code: 0, or 1 when the JSON file cannot be written.
int runBenchmark(const Options& options);
