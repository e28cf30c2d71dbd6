// Playback: the show against the music, as a viewer sees it, and dev mode
// on top of it (runtime/controls/dev_mode.h).
//
//   return runPlayback(options);   // after initialize() and reshape()
//
// Takes the window's events (Esc quits, releasing the left or right mouse
// button seeks 1 s forward or back, or dev mode's keys), starts the music,
// so that the clock begins at 0 with all loading done, and hands over to the
// toolkit's main loop, which never returns: the show ends through
// quitProgram() (runtime/frame/quit.h).
#pragma once

#include "runtime/options/options.h"

int runPlayback(const Options& options);
