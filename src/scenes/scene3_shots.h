// The cloud tunnel's camera moves, one per B event of the scene: a pure
// function of the shot number, the shot's progress f (0 at its event, 1 after
// 7500 ms) and the beat pulse, so tests can check the moves without GL.
#pragma once

#include "assets/vec_math.h"

struct Scene3Shot {
    Vec3 eye;
    Vec3 centre;
    Vec3 up;
};

// Shots past the fifth repeat the fifth.
Scene3Shot scene3Shot(int k, float f, float beat);
