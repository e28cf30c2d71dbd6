// The glowing bars: nine hundred flat boxes strewn along 6000 units of the
// x axis, blue at the start of the run and orange at its far end, growing
// out of nothing and flaring on the beat, while the camera races along the
// axis circling it. Each frame depends on the clock alone: a bar's place is
// a fixed function of its number.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/music.h"
#include "runtime/timeline.h"
#include "scenes/early_scenes.h"
#include "scenes/scene_common.h"

namespace {

constexpr int kBars = 900;

void drawScene4();

}  // namespace

// The bars need nothing loaded.
void initScene4() {}

void renderScene4() {
    const float t = musicTimeMs;
    beginSceneFrame();
    drawScene4();
    glowAndComposite(0.002f);
    const float end = sceneEndMs();
    if (t > end - 1500.0f) engine->postFx->composite(*engine->textures, 1.0f - (end - t) * 0.00066666666f, Composite::GlowMixed);
    // Negative, so invisible, until the last 300 ms.
    if (t > end - 500.0f) engine->postFx->overlay(1, 1, 1, 1.0f - (end - t) * 0.0033333334f);
}

namespace {

// The 3D picture into the bound target. Leaves the depth test on and
// blending, culling and texturing off.
void drawScene4() {
    const float local = sceneTimeMs();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();

    const float e = std::min(local, 6000.0f) * 0.00016666666f;
    const float f = 4500.0f * (e + 0.2f) * (e + 0.2f) - 50.0f;
    const float a = local * 0.00018518518f;
    gluLookAt(f - 100.0f * std::sin(a), 0, 100.0f * std::cos(a), f, 0, 0, 0, 1, 0);

    setGlState({.depthTest = kOn, .cullFace = kOff, .blend = kBlendOff, .texture2D = kOff});

    const float growth = 5.0f * e;
    const float s0 = std::min(local * 0.001f, 1.0f);
    const float beat = beatPulse200();
    for (int k = 0; k < kBars; ++k) {
        const float i = static_cast<float>(k);
        const float x = std::fabs(std::sin(0.2f * (i + 0.3f) * (i + 0.9f)) * std::cos(0.23f * (i + 40.0f)) * 6000.0f);
        const float y = 60.0f * std::cos(3.2f * (i + 0.4f) * (i + 0.6f)) * std::cos(0.43f * i * (i + 5.0f));
        const float w = i + 4430.0f;
        const float z = 60.0f * std::sin(0.2f * (i + 0.33f) * (i + 0.654f)) * std::cos(0.233f * w);
        const float g = std::fabs(std::sin(0.23f * (i + 0.333f) * (i + 0.654f)) * std::cos(0.42333f * w)) * growth;
        const float s = std::max(0.0f, beat * s0 + g - 0.2f);
        glPushMatrix();
        glTranslatef(x, y, z);
        glColor3f(0.00025f * x * s, 0.00014285714f * x * s, (1.0f - 0.0002f * x) * s);
        glScalef(5.0f * s, 0.1f * s, 0.2f * s);
        engine->drawTexturedCube(5.0f);
        glPopMatrix();
    }
}

}  // namespace
