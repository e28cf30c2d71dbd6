// The program's one window.
//
//   windowWidth = displayWidth = options.width;    // the requested size
//   windowHeight = displayHeight = options.height;
//   openWindow(options);        // then the loading bar, initialize() and reshape()
//   mode.run(options);          // the run mode registers the callbacks it needs
//
// Full screen is the display mode of the requested size (game mode). Where
// the screen does not offer that mode, a full-screen window takes its place
// and the picture takes the monitor's real size: both size pairs are set
// to it before anything is drawn, and stderr says so once. --windowed is a
// plain window of the requested size.
//
// The pointer is hidden full screen (game mode or the window), unless in
// dev mode; the window's class is "afterglow", "Afterglow" (WM_CLASS), the
// desktop entry's StartupWMClass.
//
// Every way the window can be left is the program's own: the window
// manager's close ends it as Esc does, and while a message box is up a
// full-screen window steps aside so the box is seen and can be answered.
#pragma once

#include <string>

#include "runtime/options/options.h"

void openWindow(const Options& options);

// The offline runs' way without a window: an EGL context
// (gfx/egl_context.h), and the window target off-screen at the display
// size. One line on stderr says why (reason) and which renderer and
// platform draw. False, after saying why, when there is no EGL context.
bool openWithoutWindow(const std::string& reason);

// False once openWithoutWindow() has made the context: then there is no
// toolkit to call (no title, no swap, no events).
bool hasWindow();

// Takes a pending close request of the window manager off the event queue
// before the toolkit sees it (the toolkit would destroy the window and the
// GL context with it); true when there was one. For the offline runs, which
// must stop as on Esc and still draw their last words.
bool takeWindowCloseRequest();
