// The show's keys and mouse, as a viewer has them: Esc ends the show, and
// releasing the left or right mouse button seeks the music 1 s forward or
// back (the picture follows: the scenes' state is not rebuilt, only the
// clock moves). Taken through the window toolkit's callbacks, natively
// from freeglut and in the page from the browser's events.
//
//   takeShowControls();            // once the window is open
//   if (dev) enableDevMode(ms);    // dev mode's keys instead (dev_mode.h)
#pragma once

void takeShowControls();
