// Vec3 compared component by component within a tolerance.
#pragma once

#include <gtest/gtest.h>

#include "assets/vec_math.h"

inline void expectNear(Vec3 a, Vec3 b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}
