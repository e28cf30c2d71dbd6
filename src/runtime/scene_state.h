// The scenes' state at any music time, as a run from 0 on a fixed clock
// leaves it, built without drawing a frame.
//
//   rememberStartOfShow();               // once, at the end of start-up
//   advanceEarlierScenes(ms, fps);       // before an offline run's lead-in
//   rebuildSceneStateAt(ms, 60.0);       // a seek while watching: every
//                                        // scene's state at the frame at ms
//
// A scene's own state comes from stepping its frames from its start, as a
// shot does. But the particle spawns of every scene draw from one shared
// random sequence, so where a scene's draws begin depends on all the frames
// of the scenes before it: those are stepped too, on the frames a run from
// 0 at the same rate has (0, 1000 / fps, ...), the state half only: no
// clock, no spectrum, no drawing. That costs about as much as the scenes'
// updates over the span, a few milliseconds a scene (tools' seek-bench).
#pragma once

// Notes both random sequences as start-up leaves them. initialize() calls it.
void rememberStartOfShow();
// Every scene as its init left it and both random sequences where start-up
// left them: the state of the first frame.
void restoreStartOfShow();

// The state half of one frame at music time ms after a frame of deltaMs:
// musicTimeMs, previousTimeMs, frameDeltaMs and sceneIndex are set as the
// clock would set them, then the scene's update runs. The clock itself and
// the spectrum are left alone.
void stepSceneFrameAt(double ms, double deltaMs);

// From the start of the show: steps every frame of a run from 0 at fps that
// falls before the scene of ms, so the random sequences stand where that run
// leaves them at the scene's start. The scenes before it are left in
// whatever state that gives; the scene of ms is not touched.
void advanceEarlierScenes(double ms, double fps);

// restoreStartOfShow, advanceEarlierScenes, then the scene's own frames from
// its start (spaced as a shot's lead-in) up to and including the frame at
// ms: the state a shot at ms draws. Leaves musicTimeMs at ms.
void rebuildSceneStateAt(double ms, double fps);
