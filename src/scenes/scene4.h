// The bars' maths: the camera racing along the x axis while it circles it,
// each bar's place, size and colour, and the closing blends. Pure
// functions of the scene's time and the beat pulse; scene4.cpp draws with
// them.
#pragma once

#include "scenes/scene_maths.h"

constexpr int kBars = 900;

// The eye 100 units from the line of flight, one radian per 5400 ms around
// it, looking at the point F on the x axis that speeds up from 130.
CameraShot barsShot(float sceneMs);

// One bar: a box of 50 x 1 x 2 units scaled by size, coloured from blue
// (x = 0) to orange (x = 6000) and dimmed by its size. Its place is a fixed
// function of its number i; it grows out of nothing over the scene's first
// 6000 ms and flares on the beat. Size 0 hides it.
struct Bar {
    Vec3 position;
    float size = 0;
    Colour colour;
};
Bar barAt(int i, float sceneMs, float beat);

// The glow image blended over the last 1500 ms (its colour unused), then
// the flash to white, negative until 300 ms before the end.
constexpr Fade kBarsGlowFade = {kWhite, 1500, 1500};
constexpr Fade kBarsFadeOut = {kWhite, 500, 300};
