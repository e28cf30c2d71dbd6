#include "scenes/scene_common.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "assets/spline_path.h"
#include "gfx/engine.h"
#include "gfx/gl_extensions.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"

float sceneTimeMs() { return musicTimeMs - static_cast<float>(sceneStartMs[sceneIndex]); }

float sceneStartTimeMs() { return static_cast<float>(sceneStartMs[sceneIndex]); }

float sceneEndMs() { return static_cast<float>(sceneStartMs[sceneIndex + 1]); }

void lookAt(const CameraShot& s) {
    gluLookAt(s.eye.x, s.eye.y, s.eye.z, s.centre.x, s.centre.y, s.centre.z, s.up.x, s.up.y, s.up.z);
}

void fadeIn(const Fade& fade) {
    const std::optional<float> alpha = openingAlpha(fade, musicTimeMs, sceneStartTimeMs());
    if (alpha) engine->postFx->overlay(fade.colour.r, fade.colour.g, fade.colour.b, *alpha);
}

void fadeOut(const Fade& fade) {
    const std::optional<float> alpha = closingAlpha(fade, musicTimeMs, sceneEndMs());
    if (alpha) engine->postFx->overlay(fade.colour.r, fade.colour.g, fade.colour.b, *alpha);
}

void beginSceneFrame() {
    engine->setPerspective(static_cast<float>(kRenderTargetSize), static_cast<float>(kRenderTargetSize));
    bindTextureFBO(glExtensions.fboColorTexture);
}

void clearSceneTarget(const Colour& clear) {
    glClearColor(clear.r, clear.g, clear.b, clear.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void blurGlow(float offset) { engine->postFx->glow(*engine->textures, false, offset, 0.5f, 8); }

void compositeSharpAndGlow() {
    engine->postFx->composite(*engine->textures, 1.0f, Composite::Picture);
    engine->postFx->composite(*engine->textures, 1.0f, Composite::GlowAdded);
}

void glowAndComposite(float offset) {
    blurGlow(offset);
    compositeSharpAndGlow();
}

void drawSkyAboutEye(const AseModel& sky) {
    float view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    glPushMatrix();
    view[12] = 0.0f;
    view[13] = 0.0f;
    view[14] = 0.0f;
    glLoadMatrixf(view);
    sky.draw();
    glPopMatrix();
}

void loadSceneModel(AseModel& model, const char* file) {
    model = AseModel();
    model.load(file);
}

void loadScenePath(SplinePath& path, const char* file, int shapeIndex, float scale) {
    path = SplinePath();
    path.loadShape(file, shapeIndex);
    path.scale(scale);
}

void applyLightAndMaterial(const LightAndMaterial& s) {
    setGlState({.lighting = kOn, .light0 = kOn});
    glLightfv(GL_LIGHT0, GL_POSITION, s.lightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, s.lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, s.lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, s.lightSpecular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, s.materialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, s.materialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, s.materialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, s.shininess);
}

void beginTranslucentSheets(int textureIndex) {
    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendMix, .lighting = kOff, .light0 = kOff});
    engine->textures->bind(textureIndex);
}

// ---------------------------------------------------------------------------
// Scenes 5 to 10.

float mixGlowOnTrackB() {
    const float p = trackBPulse1000();
    if (p > 0) engine->postFx->composite(*engine->textures, p, Composite::GlowMixed);
    return p;
}
