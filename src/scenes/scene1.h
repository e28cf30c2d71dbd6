// The symbols' maths: their turn and the shake of its active part, the
// camera's place on its paths, the spark timer, the opening glow and the
// closing fade. Pure functions of the music time (read from the clock where
// they take no time argument); scene1.cpp draws with them.
#pragma once

#include <optional>

#include "scenes/scene_maths.h"

// Degrees about the view axis: one turn every 7200 ms of the scene.
float symbolAngle();
// 9 for the part of each turn past 200 degrees (4020 ms into it on), else 0.
float symbolShake();
// The place on the current pair of eye and target paths: 1 per 2500 ms
// since the last B event.
float symbolPathParameter(float t);
// Adds a frame's time to the spark timer; once it reaches 100 ms it starts
// again from 0 (the remainder dropped) and a burst is due. A long frame so
// gives at most one burst.
bool advanceSparkTimer(float& timerMs, float frameMs);
// The glow image over the picture at the start, clearing over 2000 ms.
std::optional<float> clearingGlowAlpha(float t);

constexpr Fade kSymbolsFadeOut = {kBlack, 1000, 1000};
