// The flowers' maths: how far the stems have grown, the rosettes a frame
// draws, the burst at the end, the ring decals' sizes, the orbiting camera
// and the fades. Pure functions of the music time; scene6.cpp draws with
// them.
#pragma once

#include <optional>

#include "scenes/scene_maths.h"

// The growth parameter sceneMs into the scene: 1 per 3350 ms for 22 s
// (about 6.567), then held.
float flowerGrowth(float sceneMs);
// 0 until 142000 ms, then an ease-out to 1 at 149000: how far the rosettes
// have burst.
float bloomFactor();
// The rosettes one frame draws, in drawing order: how many, given the growth
// parameter (the side flowers start 2.5 units behind the first).
int rosetteCount(float growth);

// The camera T ms into the scene (Tc, the same held at 22000): it orbits
// the first flower's growing tip, whose point is tip, moves to a higher
// orbit from 7500 ms, turns its target to the side flower's tip (sideTip)
// from 12000 ms, and swings round and over from 23000 ms. bPulse shakes it.
CameraShot flowerShot(float now, float T, Vec3 tip, Vec3 sideTip, float bPulse);

// Ring decal i's half-size at Tc: none until 200 i + 500 ms, then a bounce
// with two damped swings to its own size, held from 200 i + 1500 ms.
std::optional<float> ringHalfSize(int i, float Tc);
// The two centre rings: the big one bounces in from 0, the small one from
// 500 ms.
float centreRingHalfSize(float Tc);
std::optional<float> innerRingHalfSize(float Tc);

constexpr Fade kFlowersFadeIn = {kWhite, 500, 500};
constexpr Fade kFlowersFadeOut = {kBlack, 1000, 1000};
