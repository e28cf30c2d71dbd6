// Steps the scenes share: the frame drawn into the render target, the glow
// and composites that carry it to the window, the sky drawn about the eye,
// and the light-and-material settings of the lit scenes.
//
//   void renderSceneK() {
//       beginSceneFrame();            // perspective, render target bound
//       drawSceneK();
//       glowAndComposite(0.002f);     // blur, sharp picture, glow added
//       fadeOut(kFadeOut);            // overlay near the end
//   }
//
// sceneTimeMs(), sceneStartTimeMs() and sceneEndMs() read the clock and the
// scene index of the current frame.
#pragma once

#include "assets/ase_model.h"
#include "scenes/scene_maths.h"

class SplinePath;

// Music time since the current scene began, the time it began and the time
// it ends.
float sceneTimeMs();
float sceneStartTimeMs();
float sceneEndMs();

// gluLookAt with the shot, onto the current modelview matrix.
void lookAt(const CameraShot& shot);

// The scene's opening and closing fades as overlays over the picture band
// (PostFx::overlay), when the music is within their windows.
void fadeIn(const Fade& fade);
void fadeOut(const Fade& fade);

// The 45-degree perspective for the square target, then the target bound:
// what every scene does before drawing its 3D picture. Leaves the modelview
// matrix identity and the viewport on the whole target.
void beginSceneFrame();

// Clears the bound target, colour and depth, to clear and starts the
// modelview matrix afresh: the first step of a scene's 3D picture. Sets the
// clear colour.
void clearSceneTarget(const Colour& clear);

// The blurred reduction of the target (mixed, not additive, alpha 0.5,
// 8 passes) with the given shift per pass. Leaves the window bound.
void blurGlow(float offset);
// The sharp picture laid opaque over the picture band, the glow added on top.
void compositeSharpAndGlow();
// blurGlow then compositeSharpAndGlow: the usual end of a scene's frame.
void glowAndComposite(float offset);

// The sky model about the eye: the current modelview matrix with its
// translation removed, so the sphere turns with the camera but never moves
// with it. The caller sets colour and disables what the sky must not use;
// the modelview matrix is restored.
void drawSkyAboutEye(const AseModel& sky);

// Scene assets are globals that outlive a start-up, and the readers add to
// what a model or path already holds: these load into an emptied one, so a
// second start-up in the same process builds the same scene as the first.
void loadSceneModel(AseModel& model, const char* file);
// The shape object numbered shapeIndex, scaled about the origin.
void loadScenePath(SplinePath& path, const char* file, int shapeIndex, float scale);

// Light 0 and the material of a lit scene. The material values apply to
// front and back faces alike.
struct LightAndMaterial {
    float lightPosition[4];
    float lightAmbient[4];
    float lightDiffuse[4];
    float lightSpecular[4];
    float materialAmbient[4];
    float materialDiffuse[4];
    float materialSpecular[4];
    float shininess;
};
// Enables lighting and light 0, then sets the values. The light position is
// taken through the current modelview matrix, as GL does.
void applyLightAndMaterial(const LightAndMaterial& settings);

// The state for stacked cloud or smoke sheets: lighting, culling and the
// depth test off, alpha blending on, texturing on with textureIndex bound.
void beginTranslucentSheets(int textureIndex);

// ---------------------------------------------------------------------------
// Scenes 5 to 10: point arithmetic and the B-pulse glow.

#include <cmath>

#include "assets/vec_math.h"

namespace vec {

inline Vec3 add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 scaled(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float length(Vec3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
// The zero vector stays zero rather than turning into NaNs.
inline Vec3 normalised(Vec3 a) {
    const float l = length(a);
    return l > 0 ? scaled(a, 1.0f / l) : a;
}

}  // namespace vec

// The glow mixed in once more at the B pulse, when there is one; returns the
// pulse.
float mixGlowOnTrackB();
