// The window callbacks and the frame loop.
//
// main() opens the window, registers these callbacks, runs initialize(),
// calls reshape() once, starts the music and hands over to glutMainLoop().
// Each frame: fixed-function state, clock, scene index, frame counter and
// title, the scene, the end test, the letterbox bars, the swap.
#pragma once

#include <string>

extern int windowWidth;    // current window size, from the command line and every reshape
extern int windowHeight;
extern int displayWidth;   // requested display size, fixed after start-up
extern int displayHeight;

extern float fpsAccumMs;   // music time towards the next one-second frame count
extern int framesCounted;  // frames since the last one-second mark
extern int fpsShown;       // frames counted in the last completed second (the title)

// The 16:9 picture band: height of the top bar, and y of the picture's
// lower edge. Negative for displays wider than 16:9 (the bars fall outside).
int letterboxTop();
int letterboxBottom();

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
// signal's (runtime/quit_signals.h) whatever code says.
[[noreturn]] void quitProgram(int code);
