// Dev mode (--dev): pause, scrub, step and reload while watching, so a
// change to a camera, a fade or a shader is seen at once at the right
// moment of the music.
//
//   startMusic(music);
//   enableDevMode(music.startMs);  // takes the keys and the mouse, and
//                                  // draws its line over every frame
//
// Space pauses and resumes; Left/Right seek 1 s (10 s with Shift); Page Up
// and Page Down go to the previous and next scene start, Home to 0; while
// paused "." and "," step one frame of 1/60 s. R compiles every shader pair
// again and T decodes every image again. H hides and shows a line with the
// music time, the scene, its time and B events, the beat and the frame
// rate. Esc quits as always.
//
// Every seek (the mouse's too) rebuilds the scenes' state as a shot at that
// time has it (runtime/replay/replay.h). Once the frame that shows a key's
// work is drawn, one line on stderr says what it did: for a pause or a seek
// where it landed, "afterglow: 52000.0 ms, scene 2 at 1000.0 ms, paused".
#pragma once

// The start is a seek as well: the state at startMs is rebuilt. From then
// on the line is drawn over the finished window picture, just before the
// swap, and what the keys did is said on stderr. With the line shown, each
// frame leaves program 0, the 2D pixel projection of Engine::setOrtho2D,
// blending, culling and texturing off, and the colour white.
void enableDevMode(double startMs);

// Where Page Up and Page Down go from nowMs: the first millisecond of the
// previous or next scene (0 for the first scene). From a time at or just
// after a scene's first millisecond Page Up goes one scene further back;
// past the last scene's start Page Down stays at nowMs.
double previousSceneLandingMs(double nowMs);
double nextSceneLandingMs(double nowMs);
