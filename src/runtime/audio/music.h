// Music: plays "demo.mp3" and turns its position into the clock of the frame.
//
//   startMusic();          // once, after all loading; the clock starts at 0
//   updateMusicClock();    // first thing every frame, then refreshSpectrum()
//   waitForMusicToPlay();  // before the first frame is shown
//   seekMusic(+1000.0f);   // mouse seeks
//   pauseMusic(true);      // the clock holds still until pauseMusic(false)
//
// Two clock sources share one interface:
//   audio   - the sound device's progress, smoothed; the normal case
//   steady  - wall time at music rate, silent; used when there is no device
//             (or it misbehaves, or its server does not answer within 2 s)
//             and when the file is missing or bad
// The audio clock is the music heard: it holds while the music waits for
// its decoder (the device plays silence meanwhile and the music goes on
// where it stopped), and after the process was stopped (Ctrl+Z, a
// debugger) it goes on from where the music is, each said in one line.
// The offline runs keep the music only for its spectrum: their frames' times
// come from the replay's fixed frame clock (runtime/replay/replay.h), so
// shots and tests are deterministic. The spectrum is computed from the
// decoded file at the clock position, so every clock gives the same bins for
// the same time.
#pragma once

#include <string>

// The clock's values it sets, musicTimeMs and its kin.
#include "runtime/timeline/clock.h"

// Offline: no device and no clock of its own; the caller moves the clock.
enum class ClockMode { Audio, Steady, Offline };

struct MusicConfig {
    std::string path = "demo.mp3";
    ClockMode mode = ClockMode::Audio;  // Audio falls back to Steady by itself
    double startMs = 0.0;               // position before the first frame
};

// Returns 1, as the rest of the program expects; problems are reported once
// on stderr and the clock runs silently instead.
int startMusic(const MusicConfig& config = MusicConfig{});
// The audio or steady clock's position into the clock's values; not for
// the offline mode, whose caller advances the clock itself.
void updateMusicClock();
// spectrumBins for the music at musicTimeMs, whichever clock set it.
void refreshSpectrum();
void seekMusic(float deltaMs);
// Moves the clock to ms exactly (kept inside the music) and leaves
// musicTimeMs as the last frame read it, so the next frame's delta counts
// from that frame.
void moveMusicTo(double ms);
// Holds the clock and the sound where the last frame read them, or lets
// both go on from there. Moves while paused change the held position.
void pauseMusic(bool paused);
bool musicPaused();
// Lets the sound device go, which startMusic() opened paused, and returns
// once it plays what it was handed, or has been given up for the steady
// clock (within 2 s): a sound server may prebuffer for a second, and the
// first frame, drawn by then, is shown with the first note. Until then the
// clock holds its start. At once on other clocks, and later. leaving, when
// given, cuts the wait short once it says so (a quit asked for must not wait
// on a device that may never start).
void waitForMusicToPlay(bool (*leaving)() = nullptr);
// Silences the device before the process exits, so the audio thread never
// reads the decoded music while exit tears it down, and closes it unless its
// server does not answer (that close is waited for half a second at most).
void stopMusic();

// Sample frames the audio callback has handed to the device since it
// opened, seeks or not; 0 while the clock is not the device's.
long long musicFramesHanded();

// What the clock is running on now (the audio mode can fall back to steady).
ClockMode musicClockMode();
// Length of the decoded music in milliseconds; 0 when there is none.
double musicLengthMs();
