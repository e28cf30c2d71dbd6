// The credits' maths: the dying row wobble and the fades. Pure functions;
// scene10.cpp draws with them.
#pragma once

#include <optional>

#include "scenes/scene_maths.h"

// The row wobble's amplitude in pixels: 10 at the start, one less every
// 300 ms, 0 from about 2700 ms on.
int creditsWobble(float sceneMs);
// The fade to black from 5000 ms into the scene, 1 at 6000 and beyond (GL
// clamps it).
std::optional<float> creditsBlackAlpha(float t);

constexpr Fade kCreditsFadeIn = {kWhite, 1000, 1000};
