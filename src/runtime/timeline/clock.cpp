#include "runtime/timeline/clock.h"

float musicTimeMs = 0.0f;
float previousTimeMs = 0.0f;
float frameDeltaMs = 0.0f;
float* spectrumBins = nullptr;

void advanceClock(float ms, float deltaMs) {
    previousTimeMs = musicTimeMs;
    musicTimeMs = ms;
    frameDeltaMs = deltaMs;
}

void placeClock(float ms) { musicTimeMs = ms; }
