// The ring ship's maths: the camera of each section, the shake of the last
// two seconds, the wobble and dip on each B event and the fades. Pure
// functions; scene8.cpp draws with them.
#pragma once

#include "scenes/scene_maths.h"

// The section's progress t ms into the music: 1 per 5000 ms since its event.
float shipShotProgress(float t);
// The camera of section k, q (5 s units) after its event, T into the scene.
CameraShot shipShot(int k, float q, float sceneMs);
// How hard the eye shakes: 0 until 2000 ms before the end, then 1 more per
// second.
float shipEndShake(float now, float sceneEnd);
// The mask pass clears to black, the shaded pass to orange.
Colour shipClearColour(bool shaded);
// On a B pulse p: the rows wobble by up to 14 p pixels (a whole number) and
// the picture darkens by p squared.
int shipWobbleAmplitude(float p);
float shipDipAlpha(float p);

// One pass of the frame into the bound target, in the perspective already
// set: the mask (the sphere white on black, from which the shafts are
// smeared) or the shaded ship. renderScene8 draws both; the mask's test
// draws the first alone.
void drawScene8(bool shaded);

constexpr Fade kShipFadeIn = {kWhite, 500, 500};
// The first 100 ms of this window have a negative alpha: nothing shows.
constexpr Fade kShipFadeOut = {kWhite, 600, 500};
