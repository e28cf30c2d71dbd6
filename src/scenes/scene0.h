// The opening flight's maths: when the white opening, the logo, the field
// and the veils show, how the camera drops onto the field and hands over to
// its paths. Pure functions of the music time t in ms (a few read the
// timeline's B events too); scene0.cpp draws with them.
#pragma once

#include <optional>

#include "scenes/scene_maths.h"

// Cue times, ms of music.
constexpr float kLogoFlickerOutMs = 4500;  // the logo starts flickering out
constexpr float kWhiteEndMs = 5000;        // the white has faded to black; the logo is gone; the dust starts
constexpr float kFieldStartMs = 6500;      // field and sky come into view behind a dip to black; the drop starts
constexpr float kFieldDipEndMs = 7000;
constexpr float kDropEndMs = 10000;       // the bounces have died out; the hand-over to the paths begins
constexpr float kFlightStartMs = 13700;   // the eye is on its paths, the flight path runs, a veil lifts
constexpr float kVeilEndMs = 15000;
constexpr float kEndGlowStartMs = 28000;  // the glow image blends over the last second

// Grey from white to black over the first 5000 ms (alpha 1), then black
// with alpha 0.
Colour openingClearColour(float t);
// The field, the sky and everything 3D: from 6500 ms.
bool fieldShown(float t);
// The dust is emitted on the first frame past 5000 ms.
bool dustDue(float t);

// The camera's height over the field: from about 25 down to 0 with three
// damped bounces (about 27.94 at 6500 ms).
float dropHeight(float t);
// The place along the flight path: 0 until 13700 ms, 1 per 1500 ms, at most 14.
float flightParameter(float t);
// The place along the current camera path: 1 per 8000 ms since the last B
// event (negative before the first one).
float cameraPathParameter(float t);
// The camera, given the eye's point on its path and the flight path's point:
// over the drop the eye and the target ride the drop height with the target
// swaying, then both hand over to the paths' heights until 13700 ms.
CameraShot openingShot(float t, Vec3 pathEye, Vec3 flightPoint);

// Overlays in window coordinates (black) and the glow blend, when they show:
// the veil lifting over 13700..15000 ms, the dip as the field appears
// (strictly after 6500 ms), the glow image rising to 1 at the scene's end.
std::optional<float> veilAlpha(float t);
std::optional<float> fieldDipAlpha(float t);
std::optional<float> endGlowAlpha(float t, float sceneEnd);

// The band of the gradient image the strip shows starts here; none once the
// strip has scrolled past 0.8 (about 6155 ms).
std::optional<float> gradientStripOffset(float t);
// The logo flickers with sin of the raw milliseconds against a threshold:
// never before 600 ms, steady from about 1800 to 4500 ms, gone from 5000.
bool logoShown(float t);
