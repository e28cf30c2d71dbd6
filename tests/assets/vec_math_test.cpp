#include <gtest/gtest.h>

#include "assets/crt_random.h"
#include "assets/vec_math.h"

namespace {

TEST(VecMath, SigmoidStep) {
    EXPECT_FLOAT_EQ(sigmoidStep(0.5f), 0.5f);
    EXPECT_NEAR(sigmoidStep(0), 0.00247f, 1e-5f);
    EXPECT_NEAR(sigmoidStep(1), 0.99753f, 1e-5f);
}

TEST(VecMath, DampedWaveFadesInsideItsIntervalOnly) {
    EXPECT_FLOAT_EQ(dampedWave(100, 100, 300, 3), 1);
    EXPECT_FLOAT_EQ(dampedWave(300, 100, 300, 3), 0);
    EXPECT_FLOAT_EQ(dampedWave(99.9f, 100, 300, 3), 0);
    EXPECT_FLOAT_EQ(dampedWave(300.1f, 100, 300, 3), 0);
    // Half way through two cycles: cos(2 pi * 6.28318 / 6.2831853) * 0.25.
    EXPECT_NEAR(dampedWave(200, 100, 300, 2), 0.25f, 1e-5f);
    // The single-precision constant sits a little below 2 pi: after a whole
    // cycle the cosine is not quite back at its peak phase.
    const float a = 1000.0f * 1 * 6.28318f / 1000.0f;
    EXPECT_LT(a, 6.2831853f);
    EXPECT_FLOAT_EQ(dampedWave(5, 5, 5, 1), 1);
}

TEST(VecMath, NextRandomSequence) {
    seedRandom(0);
    EXPECT_EQ(nextRandom(), 12131u);
    EXPECT_EQ(nextRandom(), 156878092u);
    EXPECT_EQ(nextRandom(), 1366056071u);
}

TEST(VecMath, CrtRandFromStateOne) {
    setCrtRandState(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) EXPECT_EQ(crtRand(), value);
    setCrtRandState(1);
}

TEST(VecMath, SwapVec3) {
    Vec3 a{1, 2, 3}, b{4, 5, 6};
    swapVec3(a, b);
    EXPECT_EQ(a.x, 4);
    EXPECT_EQ(a.z, 6);
    EXPECT_EQ(b.y, 2);
}

}  // namespace
