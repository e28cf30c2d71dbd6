// Music: plays "demo.mp3" and turns its position into the clock of the frame.
//
//   startMusic();          // once, after all loading; the clock starts at 0
//   updateMusicClock();    // first thing every frame
//   seekMusic(+1000.0f);   // mouse seeks
//   pauseMusic(true);      // the clock holds still until pauseMusic(false)
//
// Three clock sources share one interface:
//   audio   - the sound device's progress, smoothed; the normal case
//   steady  - wall time at music rate, silent; used when there is no device
//             (or it misbehaves) and when the file is missing or bad
//   offline - frame n is at startMs + n * 1000 / fps exactly; no device at
//             all, so shots and tests are deterministic
// The spectrum is computed from the decoded file at the clock position, so all
// three give the same bins for the same time.
#pragma once

#include <string>

constexpr int kSpectrumSize = 512;

// Set by updateMusicClock, read by everything that animates; defined with
// the timeline (runtime/timeline.cpp), so readers link without the device.
extern float musicTimeMs;     // position this frame, milliseconds
extern float previousTimeMs;  // musicTimeMs of the previous frame
extern float frameDeltaMs;    // clamped to 0..1000
extern float* spectrumBins;   // kSpectrumSize bins, refreshed every frame

enum class ClockMode { Audio, Steady, Offline };

struct MusicConfig {
    std::string path = "demo.mp3";
    ClockMode mode = ClockMode::Audio;  // Audio falls back to Steady by itself
    double offlineFps = 60.0;           // Offline only
    double startMs = 0.0;               // position before the first frame
};

// Returns 1, as the rest of the program expects; problems are reported once
// on stderr and the clock runs silently instead.
int startMusic(const MusicConfig& config = MusicConfig{});
void updateMusicClock();
void seekMusic(float deltaMs);
// Moves the clock to ms exactly (kept inside the music) and leaves
// musicTimeMs as the last frame read it, so the next frame's delta counts
// from that frame.
void moveMusicTo(double ms);
// Holds the clock and the sound where the last frame read them, or lets
// both go on from there. Moves while paused change the held position.
void pauseMusic(bool paused);
bool musicPaused();
// Silences the device before the process exits, so the audio thread never
// reads the decoded music while exit tears it down.
void stopMusic();

// What the clock is running on now (the audio mode can fall back to steady).
ClockMode musicClockMode();
// Length of the decoded music in milliseconds; 0 when there is none.
double musicLengthMs();
