// Scene 8, the ring ship: a sphere and three tilted rings, shaded on an
// orange ground, with light shafts smeared out of the sphere. Each frame
// draws a mask pass (the sphere white on black) for the shafts and then the
// shaded pass; every B event starts a new camera move.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <iterator>

#include "assets/ase_model.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene8.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

AseModel shipModel;

struct RingSpin {
    const char* name;
    Vec3 axis;
};
constexpr RingSpin kRingSpins[] = {
    {"\"ring_01\"", {1, 0.5f, 0}},
    {"\"ring_02\"", {0, 0.5f, 2}},
    {"\"ring_03\"", {-0.2f, 3.5f, 0}},
};

// The rings' meshes and the sphere's, found once at start-up; -1 for one
// the file lacks: such a ring does not turn, and without the sphere the
// mask is all black.
int ringMeshes[std::size(kRingSpins)];
int sphereMesh = -1;

void spinRings();

}  // namespace

void initScene8() {
    loadSceneModel(shipModel, "models/alus.ASE");
    shipModel.computeNormals();
    for (size_t i = 0; i < std::size(kRingSpins); ++i) ringMeshes[i] = shipModel.findMesh(kRingSpins[i].name);
    sphereMesh = shipModel.findMesh("\"sphere\"");
}

void updateScene8() {}

void renderScene8() {
    const float now = musicTimeMs;
    PostFx& fx = *engine->postFx;

    engine->setPerspectiveFov(1024, 1024, 88);
    bindTextureFBO(glExtensions.fboColorTexture);
    drawScene8(false);
    // The sphere mask smeared into shafts, longer on each beat.
    fx.zoomBlur(*engine->textures, 0.03f + 0.04f * beatPulse200(), 0.5f, 8);

    engine->setPerspectiveFov(1024, 1024, 88);
    bindTextureFBO(glExtensions.fboColorTexture);
    drawScene8(true);
    fx.glow(*engine->textures, false, 0.002f, 0.5f, 8);
    fx.composite(*engine->textures, 1.0f, Composite::Picture);
    fx.composite(*engine->textures, 0.9f, Composite::ZoomAdded);

    const float p = trackBPulse1000();
    if (p > 0) {
        fx.rowWobble(*engine->textures, shipWobbleAmplitude(p), now);
        fx.overlay(0, 0, 0, shipDipAlpha(p));
    }
    // The glow goes on after the wobble and its dark veil.
    fx.composite(*engine->textures, 1.0f, Composite::GlowAdded);

    fadeIn(kShipFadeIn);
    fadeOut(kShipFadeOut);
}

float shipShotProgress(float t) { return (t - static_cast<float>(trackBTime())) * (1.0f / 5000.0f); }

float shipEndShake(float now, float sceneEnd) {
    if (!(now > sceneEnd - 2000)) return 0;
    return (now - (sceneEnd - 2000)) * 0.001f;
}

Colour shipClearColour(bool shaded) { return shaded ? Colour{0.65f, 0.4f, 0.12f, 1} : Colour{0, 0, 0, 1}; }

int shipWobbleAmplitude(float p) { return static_cast<int>(14 * p); }

float shipDipAlpha(float p) { return p * p; }

CameraShot shipShot(int k, float q, float T) {
    const float eo = 1 - (1 - q) * (1 - q);
    const float sq = sigmoidStep(q);
    const float q2 = q * q;
    CameraShot s;
    s.eye = {10, 15, 80 * std::sin(T * (1.0f / 1300.0f))};
    s.centre = {0, 15, -50};
    switch (k) {
    case 0:
        s.eye = {10, 15, 260 - 440 * eo};
        s.centre = {0, 11, 300};
        s.up = {std::sin(0.1f * q), std::cos(0.1f * q), 0};
        break;
    case 1:
        s.eye = {-25, 50 * q2 + 5, 80 * eo - 80};
        s.centre = {0, 20, -60};
        break;
    case 2:
        s.eye = {60 * sq - 25, 15, -100 * q2};
        s.centre = {0, 15, -60};
        break;
    case 3:
        s.eye = {45, 30, 170 - 200 * q};
        s.centre = {45 - 45 * sq, 30 - 30 * q2, -100};
        s.up = {std::sin(-0.2f * q), std::cos(-0.2f * q), 0};
        break;
    case 4:
        s.eye = {45, 20, 100 * q - 290};
        s.centre = {15 - 60 * sq, 20, 180 * q - 350};
        break;
    case 5:
        s.eye = {-45, 20, 100 * q - 290};
        s.centre = {45, 20, 300 * q - 290};
        break;
    case 6:
        s.eye = {30 - 40 * eo, 30 - 20 * q, -60 - 170 * q};
        s.centre = {45, 15, -30};
        break;
    case 7:
        s.eye = {10 - 15 * q, 15, 80 - 260 * q2};
        s.up = {std::sin(q), std::cos(q), 0};
        break;
    default:
        break;
    }
    return s;
}

// Leaves lighting, light 0, texturing, blending and culling off, the depth
// test on and no program in use.
void drawScene8(bool shaded) {
    const float now = musicTimeMs;
    const float T = sceneTimeMs();
    clearSceneTarget(shipClearColour(shaded));

    const CameraShot shot = shipShot(trackBCountInScene(), shipShotProgress(now), T);
    const float r = shipEndShake(now, sceneEndMs());
    lookAt({{shot.eye.x + 2 * r * std::sin(now), shot.eye.y + beatPulse200() + r * std::sin((2.0f / 3.0f) * now),
             shot.eye.z + r * std::sin((2.0f / 3.0f) * now)},
            shot.centre,
            shot.up});

    // Black ambient and diffuse: the ship is a silhouette with white highlights.
    applyLightAndMaterial({
        {40, 10, -50, 1},  // light position
        {0, 0, 0, 1},      // light ambient
        {0, 0, 0, 1},      // light diffuse
        {1, 1, 1, 1},      // light specular
        {0, 0, 0, 1},      // material ambient
        {0, 0, 0, 1},      // material diffuse
        {1, 1, 1, 1},      // material specular
        40,                // shininess
    });

    setGlState({.depthTest = kOn, .cullFace = kOn, .blend = kBlendOff, .texture2D = kOff});
    glPushMatrix();
    spinRings();

    if (shaded) {
        ShaderManager& shaders = *engine->shaders;
        const unsigned int prog = engine->progPhongDist;
        shaders.use(prog);
        shaders.setUniform1f(prog, now * 0.5f, "time");
        shaders.setUniform1f(prog, 30, "minus");
        shaders.setUniform1f(prog, 35, "div");
        shaders.setUniform1f(prog, 0.04f, "mull");
        shaders.setUniform1f(prog, 0.995f - 0.05f * beatPulse200(), "mul2");
        shaders.setSampler(prog, "tex");
        shipModel.draw();
        shaders.unuse();
    } else {
        // Without a sphere in the file the mask is all black: no shafts.
        setGlState({.lighting = kOff});
        shipModel.drawFlat(sphereMesh);
    }

    glPopMatrix();
    setGlState({.cullFace = kOff, .blend = kBlendOff, .texture2D = kOff, .lighting = kOff, .light0 = kOff});
}

namespace {

// The rings' spin lives in the model, set from the clock before each pass
// draws it.
void spinRings() {
    const float rho = sceneTimeMs() * 0.125f;
    for (size_t i = 0; i < std::size(kRingSpins); ++i) {
        if (ringMeshes[i] < 0) continue;
        shipModel.meshes[ringMeshes[i]]->rotAxis = kRingSpins[i].axis;
        shipModel.meshes[ringMeshes[i]]->rotAngle = rho;
    }
}

}  // namespace
