// Scene 9, the piece: a lit model at the origin before a large backdrop, a
// spiral of dark spots popping up beneath it and a column of red smoke
// sheets. Six camera shots, one per B event; from 229200 ms the piece tips
// over while the camera lifts and shakes harder. Ends in a white flash.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "assets/ase_model.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene9.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

AseModel pieceModel;
AseModel backdropModel;

void drawScene9();
void drawSpots(float beat);
void drawSmoke(float beat);

}  // namespace

void initScene9() {
    loadSceneModel(pieceModel, "models/piece.ASE");
    pieceModel.computeNormals();
    loadSceneModel(backdropModel, "models/tausta2.ASE");
    backdropModel.scale(5, 5, 5);
    backdropModel.computeNormals();
}

void updateScene9() {}

void renderScene9() {
    PostFx& fx = *engine->postFx;

    engine->setPerspectiveFov(1024, 1024, 45);
    bindTextureFBO(glExtensions.fboColorTexture);
    drawScene9();

    glowAndComposite(0.002f);
    const float pB = trackBPulse1000();
    if (pB > 0) {
        fx.composite(*engine->textures, pB, Composite::GlowMixed);
        fx.overlay(0, 0, 0, pB);
    }
    fadeOut(kPieceFadeOut);
    fadeIn(kPieceFadeIn);
}

CameraShot pieceShot(int k, float d) {
    const float f = d * (1.0f / 4500.0f);
    const float sg = sigmoidStep(f);
    const float eo = 1 - (1 - f) * (1 - f);
    const float f2 = f * f;
    const float g = d * (1.0f / 8000.0f);
    const float sg2 = sigmoidStep(g);
    const float eo2 = 1 - (1 - g) * (1 - g);
    const float g2 = g * g;
    const float a = 6.28318f * f;
    const float b = 6.28318f * g;
    CameraShot s;
    switch (k) {
    case 0:
        s.eye = {5, 400 - 520 * sg, 25};
        s.centre = {0, 0, 0};
        break;
    case 1: {
        const float R = 200 * eo;
        s.eye = {5 + R * std::sin(a), 350 * sg - 120, 25 + R * std::cos(a)};
        s.centre = {0, R, 0};
        break;
    }
    case 2: {
        const float R = 200 - 160 * eo;
        s.eye = {R * std::sin(a), 230 - 229 * sg, R * std::cos(a)};
        s.centre = {0, 200, 0};
        break;
    }
    case 3:
        s.eye = {40 * std::sin(a), 400 * sg, 40 * std::cos(a)};
        s.centre = {0, 200, 0};
        break;
    case 4: {
        const float R = 200 * f2 + 40;
        s.eye = {R * std::sin(b), 400 - 250 * sg2, R * std::cos(b)};
        s.centre = {0, 200 - 50 * sg2, 0};
        break;
    }
    default:  // 5, the last shot, holds to the end
        s.eye = {0, 150 - 160 * eo2, 240 - 20 * g2};
        s.centre = {0, 200 - 190 * g2, 0};
        break;
    }
    return s;
}

float pieceLift(float t) { return t >= kTipStartMs ? std::min((t - kTipStartMs) * (1.0f / 1500.0f), 3.0f) : 0.0f; }

float pieceTilt(float t) {
    if (t < kTipStartMs) return 0;
    const float a = (t - kTipStartMs) * (1.0f / 7200.0f);
    return std::min(90 * a * a * a * a, 90.0f);
}

float pieceBackdropGrey(float t, float beat, float pA) {
    float c = 1 - 0.1f * beat + 0.5f * pA;
    if (t >= kBackdropDarkMs) c -= 0.8f;
    if (t >= kBackdropBrightensMs) c += (t - kBackdropBrightensMs) * (1.0f / 1500.0f);
    return c;
}

// The last two shots pulse, until the piece tips.
PieceUniforms pieceUniforms(float t, int k, float beat) {
    const bool pulsing = k >= 4;
    PieceUniforms u;
    u.minus = t >= kPieceShaderChangeMs ? 20 - (t - kPieceShaderChangeMs) * 0.001f : 20.0f;
    u.puls = pulsing ? 0.4f : 0.0f;
    u.pulsmul = pulsing && t < kTipStartMs ? 4.0f : 0.0f;
    u.minus2 = 0.99f - 0.1f * beat;
    return u;
}

std::optional<float> spotHalfSize(int n, float T, float beat) {
    const float i = static_cast<float>(n);
    const float size = (5 - beat) * std::cos(0.84f * (i + 0.3f) * (i + 0.56f)) * std::cos(0.93f * (i + 40));
    if (!(T > 20 * i)) return std::nullopt;
    return size - size * dampedWave(T, 20 * i, 20 * i + 1000, 2);
}

namespace {

// Leaves blending on (source alpha), texturing on with the smoke texture,
// lighting, culling and the depth test off, no program in use.
void drawScene9() {
    const float t = musicTimeMs;
    clearSceneTarget(kBlack);

    const int k = trackBCountInScene();
    const CameraShot shot = pieceShot(k, t - static_cast<float>(trackBTime()));
    const float beat = beatPulse200();
    const float pA = trackAPulse2000();
    const float pB = trackBPulse1000();

    const float M = 4 * pB + 5 * pA + pieceLift(t);
    const float D = 2 * M * std::sin(t);
    const float Ey = M * std::sin(t * (2.0f / 3.0f));
    lookAt({{shot.eye.x + D, shot.eye.y + Ey, shot.eye.z + D}, shot.centre});

    // Backdrop: dimmed on the beat, brighter on A events, dark from 225600
    // until it brightens again from 233200.
    setGlState({.depthTest = kOff, .blend = kBlendOff, .lighting = kOff});
    const float c = pieceBackdropGrey(t, beat, pA);
    glColor3f(c, c, c);
    backdropModel.draw();

    drawSpots(beat);

    setGlState({.cullFace = kOff, .blend = kBlendOff, .texture2D = kOff, .lighting = kOff, .light0 = kOff});
    // Olive-gold light.
    applyLightAndMaterial({
        {40, 10, 50 * std::sin(t * 0.001f), 1},  // light position
        {0.6f, 0.6f, 0.2f, 1},  // light ambient
        {0.6f, 0.6f, 0.6f, 1},  // light diffuse
        {0.5f, 0.5f, 0.5f, 1},  // light specular
        {0.6f, 0.6f, 0.2f, 1},  // material ambient
        {0.6f, 0.6f, 0.6f, 1},  // material diffuse
        {0.5f, 0.5f, 0.5f, 1},  // material specular
        20,  // shininess
    });

    // The piece.
    setGlState({.depthTest = kOn, .cullFace = kOn, .blend = kBlendOff, .texture2D = kOff});
    const PieceUniforms u = pieceUniforms(t, k, beat);
    ShaderManager& shaders = *engine->shaders;
    const unsigned int prog = engine->progPhongDist2;
    shaders.use(prog);
    shaders.setUniform1f(prog, t, "time");
    shaders.setUniform1f(prog, u.minus, "minus");
    shaders.setUniform1f(prog, 4, "div");
    shaders.setUniform1f(prog, 0.05f, "mull");
    shaders.setUniform1f(prog, u.puls, "puls");
    shaders.setUniform1f(prog, u.pulsmul, "pulsmul");
    shaders.setUniform1f(prog, u.minus2, "minus2");
    glPushMatrix();
    if (t >= kTipStartMs) glRotatef(pieceTilt(t), 1, 0, 0);
    pieceModel.draw();
    glPopMatrix();
    shaders.unuse();

    drawSmoke(beat);
}

// 200 dark spots along a turning spiral, each popping in 20 ms after the
// previous one. Leaves blending and texturing on, depth test and culling off.
void drawSpots(float beat) {
    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendMix});
    engine->textures->bind(engine->texPallo);
    glColor4f(0, 0, 0, 0.9f);
    const float T = sceneTimeMs();
    const float spin = T * (1.0f / 4000.0f);
    for (int n = 0; n < 200; ++n) {
        const float i = static_cast<float>(n);
        glPushMatrix();
        const float angle = 0.1f * i + spin;
        glTranslatef(0.5f * i * std::sin(angle), 0, -0.5f * i * std::cos(angle));
        // A negative size mirrors the square, which culling-off ignores.
        if (const auto size = spotHalfSize(n, T, beat)) engine->drawFloorQuad(*size);
        glPopMatrix();
    }
}

// 30 translucent red sheets stacked from y = -10 to 280.
void drawSmoke(float beat) {
    beginTranslucentSheets(engine->texCloud);
    for (int n = 0; n < 30; ++n) {
        const float i = static_cast<float>(n);
        glPushMatrix();
        glTranslatef(3 * std::sin(0.1f * i), 10 * i - 10, 2 * std::cos(0.27f * i));
        glColor4f(0.5f, 0.1f, 0.1f, 0.2f - 0.05f * beat);
        glRotatef(std::sin(0.5f * i) * i * i * 0.2f, 0, 1, 0);
        engine->drawFloorQuad(200);
        glPopMatrix();
    }
}

}  // namespace
