#include "assets/vec_math.h"

#include <cmath>
#include <utility>

namespace {
uint32_t randomSeed = 0;
}  // namespace

float sigmoidStep(float x) { return 1.0f / (1.0f + std::exp((0.5f - x) * 12.0f)); }

float dampedWave(float t, float start, float end, int32_t cycles) {
    if (t < start || t > end) return 0.0f;
    const float a = t - start;
    const float b = end - start;
    // A zero-length interval holds only t == start, where the wave starts at 1.
    if (b == 0.0f) return 1.0f;
    const float g = 1.0f - a / b;
    return std::cos(a * static_cast<float>(cycles) * 6.28318f / b) * g * g;
}

void seedRandom(uint32_t seed) { randomSeed = seed; }

uint32_t randomState() { return randomSeed; }

uint32_t nextRandom() {
    randomSeed = randomSeed * 12931u + 12131u;
    return randomSeed;
}

void swapVec3(Vec3& a, Vec3& b) { std::swap(a, b); }
