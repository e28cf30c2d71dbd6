// Small math shared by the scenes: the point type, easing curves and the
// program's own pseudo-random sequence.
//
//   float k = sigmoidStep(progress);           // 0..1 with a soft start and end
//   float w = dampedWave(t, 1000, 3000, 4);    // four fading swings, 0 outside
//   seedRandom(7); unsigned r = nextRandom();  // reproducible ribbon shapes
#pragma once

#include <cstdint>

struct Vec3 {
    float x = 0;
    float y = 0;
    float z = 0;
};

// 1 / (1 + e^((0.5 - x) * 12)): 0.5 at x = 0.5, close to 0 and 1 at the ends.
float sigmoidStep(float x);
// cos(a * cycles * 6.28318 / b) * g * g with a = t - start, b = end - start and
// g = 1 - a / b inside [start, end]; 0 outside.
float dampedWave(float t, float start, float end, int32_t cycles);

// Linear congruential sequence: seed = seed * 12931 + 12131 (mod 2^32).
void seedRandom(uint32_t seed);
uint32_t nextRandom();
// The current seed: seedRandom(randomState()) later continues from here.
uint32_t randomState();

void swapVec3(Vec3& a, Vec3& b);
