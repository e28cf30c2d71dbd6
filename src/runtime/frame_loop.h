// The window callbacks and the frame loop.
//
// main() opens the window, registers these callbacks, runs initialize(),
// calls reshape() once, starts the music and hands over to glutMainLoop().
// Each frame: fixed-function state, clock, scene index, frame counter and
// title, the scene, the end test, the letterbox bars, the swap.
#pragma once

#include <string>

// The window and display sizes and the letterbox band, which reshape()
// keeps up to date, live with the passes that read them.
#include "gfx/display.h"

extern float fpsAccumMs;   // music time towards the next one-second frame count
extern int framesCounted;  // frames since the last one-second mark
extern int fpsShown;       // frames counted in the last completed second (the title)

void displayFrame();
// displayFrame without the swap: the whole picture, bars included, is in
// the window target afterwards, at the display size. Returns false for the
// frame past the end when looping, which is never shown. When the window
// has another size the picture is drawn off-screen, and presentFrame()
// must follow before the swap.
bool drawFrame();
// Lays the picture drawFrame() drew off-screen into the window, scaled to
// fit; nothing when the window is the picture's size.
void presentFrame();
void idleRedisplay();
void reshape(int width, int height);
void keyboard(unsigned char key, int x, int y);
// The window manager's close (WM_DELETE_WINDOW): the same end as Esc.
void windowClosed();
void mouseButton(int button, int state, int x, int y);

// The state half of a frame (clock, scene index, frame counter, the scene's
// update) without drawing: what an offline run does for frames it skips.
void stepFrame();

// Offline shot: the next drawn frame is read back and written to path as
// PNG, then the program exits.
void requestShot(const std::string& path);

// From now on the end of the music starts the presentation again from 0
// instead of ending the program, with the state start-up left.
void enableLoop();

// Ends the process: the one way out of the callbacks. The audio device is
// closed first; after SIGINT, SIGTERM or SIGHUP the exit code is the
// signal's (runtime/quit_signals.h) whatever code says. gfx reaches it
// through requestQuit (gfx/display.h) once main() has set it as the hook.
[[noreturn]] void quitProgram(int code);
