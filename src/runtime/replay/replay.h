// Replay: the show on a fixed frame clock, the time of every offline run
// (shot, frames, capture, benchmark) and the state behind every seek of dev
// mode and every restart of --loop. Frame n of a run that starts at startMs
// at fps frames a second is at startMs + n * 1000 / fps: that formula, the
// lead-in before a run's first frame and the stepping of the scenes before
// it are all here, so a shot, a capture and a seek agree to the last bit.
//
//   rememberStartOfShow();               // once, at the end of start-up
//   startOfflineClock(fromMs, fps);      // an offline run: state behind it
//   ... each frame: advanceOfflineClock(), the scene's render, its update
//   rebuildSceneStateAt(ms, kShotFps);   // a seek while watching: every
//                                        // scene's state at the frame at ms
//
// A scene's own state comes from stepping its frames from its start. But the
// particle spawns of every scene draw from one shared random sequence, so
// where a scene's draws begin depends on all the frames of the scenes before
// it: those are stepped too, on the frames a run from 0 at the same rate
// has (0, 1000 / fps, ...), the state half only: no spectrum, no drawing.
// That costs about as much as the scenes' updates over the span, a few
// milliseconds a scene (tools' seek-bench).
#pragma once

// The clock of shots and of dev mode's seeks: a seek shows what --shot
// shows at the same time.
constexpr double kShotFps = 60.0;

// Notes both random sequences as start-up leaves them. initialize() calls it.
void rememberStartOfShow();
// Every scene as its init left it and both random sequences where start-up
// left them: the state of the first frame.
void restoreStartOfShow();

// Music time of frame n of a run that starts at startMs at fps.
double offlineFrameMs(double startMs, long long n, double fps);

// Frames a run steps through without drawing before the frame at ms, so
// that it starts from the start of that frame's scene: spaced 1000 / fps so
// that the last one lands exactly on ms.
int leadInFrames(double ms, double fps);

// Frames in [fromMs, toMs) at fps, at least one.
long long spanFrameCount(double fromMs, double toMs, int fps);

// The state half of one frame at music time ms after a frame of deltaMs:
// the clock's values and sceneIndex are set as a frame sets them, then the
// scene's update runs (a drawn frame runs it after drawing). The spectrum
// is left alone.
void stepSceneFrameAt(double ms, double deltaMs);

// From the start of the show: steps every frame of a run from 0 at fps that
// falls before the scene of ms, so the random sequences stand where that run
// leaves them at the scene's start. The scenes before it are left in
// whatever state that gives; the scene of ms is not touched.
void advanceEarlierScenes(double ms, double fps);

// restoreStartOfShow, advanceEarlierScenes, then the scene's own frames from
// its start (spaced as a run's lead-in) up to the frame at ms, which is
// placed but not updated: the state a shot at ms draws, from the updates of
// the frames before it. Leaves musicTimeMs at ms.
void rebuildSceneStateAt(double ms, double fps);

// The offline runs' clock. Starts the music for its spectrum only (no
// device) and steps the earlier scenes and the lead-in: the next frame
// advanceOfflineClock() gives is at ms, with the state a run from 0 at fps
// has there (the earlier scenes' random draws included).
void startOfflineClock(double ms, double fps);
// Whether startOfflineClock() has run: the frames then take their times
// from it instead of from the music.
bool offlineClockRunning();
// The clock's values for the next frame of the run.
void advanceOfflineClock();
