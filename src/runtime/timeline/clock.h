// The music clock's values for the frame being drawn: what every scene,
// pulse and fade reads as "now". The sound device, the steady clock and the
// replay's fixed frame clock produce them; everything else only reads.
//
//   advanceClock(ms, deltaMs);   // once a frame, by whichever clock runs
//   placeClock(ms);              // a start or a seek: the time jumps
//   float t = musicTimeMs;       // read anywhere
//
// They live with the timeline, below everything that draws, so the scenes
// and the content generator link without a sound device.
#pragma once

constexpr int kSpectrumSize = 512;

extern float musicTimeMs;     // position this frame, milliseconds
extern float previousTimeMs;  // musicTimeMs of the previous frame
extern float frameDeltaMs;    // clamped to 0..1000
extern float* spectrumBins;   // kSpectrumSize bins, refreshed every frame

// A new frame at ms, deltaMs after the last: previousTimeMs takes the last
// frame's time. The one place the three times change together.
void advanceClock(float ms, float deltaMs);

// A start or a seek: musicTimeMs jumps to ms at once, and the next frame
// counts its delta from here; previousTimeMs and frameDeltaMs stay.
void placeClock(float ms);
