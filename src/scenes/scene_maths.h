// The vocabulary of what the scenes compute, apart from drawing it: camera
// shots, colours and the fades at a scene's edges. Plain values and pure
// functions without GL, so each scene's maths (declared in its own header,
// sceneK.h) can be checked on its own; the GL side of them, lookAt,
// fadeIn and fadeOut, is in scene_common.h.
//
//   constexpr Fade kFadeIn = {kWhite, 500, 500};      // 1 at the start, 0 after 500 ms
//   openingAlpha(kFadeIn, start + 250, start);       // 0.5
//   closingAlpha({kBlack, 500, 300}, end - 400, end)  // -0.333: drawn, clamped to nothing
#pragma once

#include <optional>

#include "assets/vec_math.h"

// Where the eye is, what it looks at and which way is up.
struct CameraShot {
    Vec3 eye;
    Vec3 centre;
    Vec3 up{0, 1, 0};
};

// A clear or overlay colour; an overlay's alpha comes from its fade.
struct Colour {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 1;
};
inline constexpr Colour kWhite = {1, 1, 1, 1};
inline constexpr Colour kBlack = {0, 0, 0, 1};

// A flat colour over the picture at a scene's opening or closing. Its alpha
// is 1 at the edge and falls to 0 overMs away from it; it is drawn while the
// music is within windowMs of the edge. A window longer than the fade draws
// negative alphas for a while, which GL clamps to nothing. leadMs brings a
// closing fade's full alpha that far before the end. A fade of the glow
// image instead of a colour leaves colour unused.
struct Fade {
    Colour colour;
    float windowMs;
    float overMs;
    float leadMs = 0;
};

// The alpha of a fade t ms into the music, for a scene that starts or ends
// at the given time; none outside the window. The rate is the reciprocal of
// overMs as a float, the same value as the decimal constants it stands for.
inline std::optional<float> openingAlpha(const Fade& fade, float t, float start) {
    if (!(t < start + fade.windowMs)) return std::nullopt;
    return 1 - (t - start) * (1 / fade.overMs);
}
inline std::optional<float> closingAlpha(const Fade& fade, float t, float end) {
    if (!(t > end - fade.windowMs)) return std::nullopt;
    return 1 - (end - (t + fade.leadMs)) * (1 / fade.overMs);
}
