// The falling city's maths: its travel and drop, the camera of each
// section, the ground rings, the swell and the fade. Pure functions of the
// music time; scene7.cpp draws with them.
#pragma once

#include <optional>

#include "scenes/scene_maths.h"

// Cue times, ms of music.
constexpr float kDropStartMs = 161000;   // the city drops 200 units in 2000 ms
constexpr float kRingsStartMs = 163000;  // ring decals pop in on the ground below
constexpr float kSwellStartMs = 171000;  // the city swells with the beat

// How far the city has drifted forward: 16 units a second of the scene.
float cityTravel();
float cityTravelAt(float t);
// How far it has dropped: 0 before 161000, -200 from 163000.
float cityDrop();
float cityDropAt(float t);

// The camera of section k at music time now, before the shake: each section
// its own eye; the fifth swings out round the fallen city as the B pulse
// decays (g = sigmoidStep of it, near 1 just after the event), the sixth
// circles it; the first 2000 ms of the scene rise out of the ground.
CameraShot cityShot(int k, float now, float g);

// The city's scale: 1, and from 171000 ms growing to about 1.9 by the end,
// less up to 0.1 on each beat.
float cityScale(float now, float beat);
// Ground ring i's half-size: none until 163000 + 150 i ms, then a bounce to
// its own size, held 1000 ms later.
std::optional<float> groundRingHalfSize(int i, float now);

constexpr Fade kCityFadeOut = {kBlack, 500, 500};
