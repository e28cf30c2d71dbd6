// The frame loop: one frame of the show, whoever runs it.
//
// A run mode (runtime/app/run_modes.h) opens the window, runs initialize(),
// calls reshape() once, starts a clock and then either hands over to
// glutMainLoop() with displayFrame() as the display callback (playback) or
// draws its frames itself with drawFrame() (the offline runs). Each frame:
// fixed-function state, clock, scene index, frame counter and title, the
// scene drawn, then the scene's update (emissions, particle motion: what the
// next frame shows), the end test, the letterbox bars, the swap.
#pragma once

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

// The clock half of a frame: the clock, the spectrum, the scene index and
// the frame counter. The clock is the replay's fixed frame clock once an
// offline run has started it, the music's otherwise.
void beginFrame();
// The state half: the scene's update, which drawFrame() runs after the
// scene has drawn. Nothing while the music is paused.
void updateFrame();
// A frame without drawing: beginFrame(), then updateFrame().
void stepFrame();

// Draws the frame at ms once into the window's back buffer without showing
// it, as start-up leaves the scenes: the driver compiles the shader
// variants and uploads what those draws need here rather than in a frame
// shown. Playback's first frame does without: it is drawn before the music
// starts anyway, so its own variants cost it nothing in the sync, and a
// warm-up before it was only more work. Leaves the
// scenes, both random sequences, the clock's values, the GL state and the
// back buffer's purpose as it found them: what the frames draw after it is
// what they draw without it.
void warmUpFrames(double ms);
// The same for the other scenes' openings, called after each frame shown:
// every framesApart-th call draws one more scene's, until each scene has
// had one (those warmUpFrames drew, and those drawn for real, included).
void warmUpLaterScenes(int framesApart);

// From now on the end of the music starts the presentation again from 0
// instead of ending the program, with the state start-up left.
void enableLoop();
// Back to the state of the first frame, as the loop starts over: every
// scene as its init left it, both random sequences where start-up left
// them, the frame count begun afresh. The clock is the caller's to move.
void startOver();

// Drawn by displayFrame() over the finished picture, just before the swap:
// dev mode's line. Null for none.
void setFrameOverlay(void (*overlay)());
