// The cloud tunnel's maths: the camera moves, one per B event of the scene,
// the wave warp of the later shots and the fades. Pure functions (of the
// shot number, the shot's progress f, 0 at its event and 1 after 7500 ms,
// the beat pulse, the music time); scene3.cpp draws with them.
#pragma once

#include "scenes/scene_maths.h"

// The shot's progress t ms into the music: 1 per 7500 ms since the last B
// event.
float tunnelShotProgress(float t);
// Shots past the fifth repeat the fifth.
CameraShot scene3Shot(int k, float f, float beat);
// From the third shot on the picture goes through the wave warp, growing
// with the scene and the low end of the spectrum (bass: bins 2 to 4).
bool tunnelWarped(int k);
int tunnelWarpAmount(float sceneMs, float bass);

constexpr Fade kTunnelFadeIn = {kWhite, 500, 500};
// Negative until 300 ms before the end; GL clamps it to nothing.
constexpr Fade kTunnelFadeOut = {kBlack, 500, 300};
