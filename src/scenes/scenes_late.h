// The second half of the presentation, scenes 5 to 10: their entry points
// for the scene table and the pure pieces worth checking on their own
// (paths, easing curves and camera tables). All read musicTimeMs and
// sceneIndex as the frame loop sets them.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/vec_math.h"

// Scene 5: ribbons crawling along right-angled paths over the tile field.
struct RibbonPath {
    std::vector<int32_t> moves;  // 0 straight, 1 and 2 quarter turns to either side
    Vec3 direction;              // heading at the start, in the plane y = const
    Vec3 start;
    int32_t moveCount = 0;

    // The point at path parameter t (one unit per move).
    Vec3 pointAt(float t) const;
};
constexpr int kRibbonCount = 13;
extern RibbonPath ribbonPaths[kRibbonCount];
void initScene5();
void updateScene5();
void renderScene5();
void drawScene5();

// Scene 6: spline flowers, ring decals, the burst at the end.
void initScene6();
void updateScene6();
void renderScene6();
void drawScene6();
float bloomFactor();
void drawPetalGroup(float size, float grey, const float tint[3], int seed);
// The rosettes one frame draws, in drawing order: how many, given the growth
// parameter.
int rosetteCount(float growth);

// Scene 7: the falling city.
void initScene7();
void updateScene7();
void resetScene7();
void renderScene7();
void drawScene7();
float cityTravel();
float cityTravelAt(float t);
float cityDrop();

// Scene 8: the ring ship, drawn as a mask pass and a shaded pass.
struct CameraShot {
    Vec3 eye;
    Vec3 centre;
    Vec3 up{0, 1, 0};
};
void initScene8();
void updateScene8();
void renderScene8();
void drawScene8(bool shaded);
// The camera of section k, q (5 s units) after its event, T into the scene.
CameraShot shipShot(int k, float q, float sceneMs);

// Scene 9: the piece above the spiral of spots.
void initScene9();
void updateScene9();
void renderScene9();
void drawScene9();
// The camera of shot k, d ms after its event (shake not included).
CameraShot pieceShot(int k, float sinceEventMs);
float pieceTilt(float t);

// Scene 10: the credits.
void initScene10();
void updateScene10();
void renderScene10();
void drawScene10();
int creditsWobble(float sceneMs);
