// The window and the picture it shows: the sizes every pass, projection and
// bar is laid out by, and the way gfx ends the program when the GL it needs
// is missing.
//
//   windowWidth = displayWidth = 1280;       // start-up, from the command line
//   windowHeight = displayHeight = 720;
//   reshape(w, h);                            // runtime: sets windowWidth/Height
//   glViewport(0, 0, displayWidth, displayHeight);
//   int top = letterboxTop();                 // the 16:9 band of the picture
//
//   setQuitHook(quitProgram);                 // runtime, before any GL work
//   requestQuit(-1);                          // gfx: ends the process
//
// Plain values, no GL: reading them needs no context.
#pragma once

extern int windowWidth;    // current window size, from the command line and every reshape
extern int windowHeight;
extern int displayWidth;   // requested display size, fixed after start-up
extern int displayHeight;

// The 16:9 picture band: height of the top bar, and y of the picture's
// lower edge. Negative for displays wider than 16:9 (the bars fall outside).
int letterboxTop();
int letterboxBottom();

// The program's own way out (closing the audio device first), which gfx
// cannot name: gfx sits below the runtime that owns it.
void setQuitHook(void (*quit)(int code));
// Ends the process with code through the hook; without one (tools, tests
// that never installed it) a plain exit after flushing the console.
[[noreturn]] void requestQuit(int code);
