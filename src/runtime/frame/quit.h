// The one way out of the program once the window (or the EGL context) is
// open: Esc, the window's close button, the end of the music, a fatal GL
// failure (gfx reaches it through requestQuit, gfx/display.h, once main()
// has set it as the hook) and the signals of runtime/platform/quit_signals.h.
//
//   setQuitHook(quitProgram);   // main(), before any GL work
//   quitProgram(0);             // from any callback
#pragma once

// Ends the process. The audio device is closed first; after SIGINT, SIGTERM
// or SIGHUP the exit code is the signal's whatever code says.
[[noreturn]] void quitProgram(int code);

// True once quitProgram() has begun: the toolkit's own clean-up at exit
// destroys the window too, and that close must not start a second exit.
bool quitting();
