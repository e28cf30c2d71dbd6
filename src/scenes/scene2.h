// The clouds' maths: where each sheet is, the background turning white and
// the closing fade. Pure functions of the music time; scene2.cpp draws
// with them.
#pragma once

#include "scenes/scene_maths.h"

constexpr int kCloudSheets = 100;

// The background grey: black until 2000 ms before the end, then rising to
// white at the end.
float cloudClearGrey(float t, float sceneEnd);
// Sheet i's height sceneMs into the scene: i at the start, sinking 0.02
// units per ms.
float cloudSheetHeight(int i, float sceneMs);

constexpr Fade kCloudsFadeOut = {kWhite, 1000, 1000};
