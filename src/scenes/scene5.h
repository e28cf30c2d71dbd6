// The ribbons' maths: the right-angled paths, how much of each ribbon shows,
// its colour, the camera riding a ribbon's head and the fades. Pure
// functions of the path table and the music time (the camera reads the
// timeline's B events); scene5.cpp draws with them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "scenes/scene_maths.h"

// One ribbon's path: a move per unit of path parameter.
struct RibbonPath {
    std::vector<int32_t> moves;  // 0 straight, 1 and 2 quarter turns to either side
    Vec3 direction;              // heading at the start, in the plane y = const
    Vec3 start;
    int32_t moveCount = 0;

    // The point at path parameter t (one unit per move).
    Vec3 pointAt(float t) const;
};
constexpr int kRibbonCount = 13;
// Made by initScene5 from the program's generator seeded with 3244.
extern RibbonPath ribbonPaths[kRibbonCount];

// The scene's progress in moves: one per 500 ms.
float ribbonProgress(float sceneMs);
// The part of ribbon i that shows at progress Z: from its tail to its head
// (path parameters), at most 24 moves long; none before it sets out, (i - 1)
// moves into the scene.
struct RibbonSpan {
    float tail = 0;
    float head = 0;
};
std::optional<RibbonSpan> ribbonSpan(int i, float Z);
// By i mod 5: olive, black, white, dark red, orange.
Colour ribbonColour(int i);
// The eye on the head of the section's ribbon (the first section swoops onto
// it from afar, later ones glide over from the previous ribbon), swaying
// slowly; the x axis is up.
CameraShot ribbonShot(float now, float Z);

constexpr Fade kRibbonsFadeIn = {kWhite, 500, 500};
constexpr Fade kRibbonsFadeOut = {kWhite, 1000, 1000};
