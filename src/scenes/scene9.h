// The piece's maths: the camera shots, the lift, shake and tilt of the
// ending, the backdrop's brightness, the spots' sizes, the shader's values
// and the fades. Pure functions; scene9.cpp draws with them.
#pragma once

#include <optional>

#include "scenes/scene_maths.h"

// Cue times, ms of music.
constexpr float kPieceShaderChangeMs = 222000;  // "minus" starts falling
constexpr float kBackdropDarkMs = 225600;
constexpr float kTipStartMs = 229200;             // the piece tips over, the camera lifts and shakes harder
constexpr float kBackdropBrightensMs = 233200;

// The camera of shot k, d ms after its event (shake not included).
CameraShot pieceShot(int k, float sinceEventMs);
// How much the camera lifts its shake: 0 until 229200, then 1 more per
// 1500 ms, at most 3.
float pieceLift(float t);
// Degrees about x: 0 until 229200, then a quartic ease to 90 within 7200 ms.
float pieceTilt(float t);
// The backdrop's grey: dimmed on the beat, brighter on A events (pA), dark
// from 225600 until it brightens again from 233200.
float pieceBackdropGrey(float t, float beat, float pA);

// The piece's shader values at t in shot k.
struct PieceUniforms {
    float minus = 20;
    float puls = 0;
    float pulsmul = 0;
    float minus2 = 0.99f;
};
PieceUniforms pieceUniforms(float t, int k, float beat);

// Spot i's half-size sceneMs into the scene: none until 20 i ms, then a
// bounce with two damped swings to its own size, which the beat shrinks
// (negative sizes mirror the square).
std::optional<float> spotHalfSize(int i, float sceneMs, float beat);

constexpr Fade kPieceFadeIn = {kWhite, 1000, 1000};
// Full white 300 ms before the end.
constexpr Fade kPieceFadeOut = {kWhite, 1300, 1000, 300};
