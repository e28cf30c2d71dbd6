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
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene4.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

void drawScene4();

}  // namespace

// The bars need nothing loaded.
void initScene4() {}

void renderScene4() {
    const float t = musicTimeMs;
    beginSceneFrame();
    drawScene4();
    glowAndComposite(0.002f);
    if (const auto glow = closingAlpha(kBarsGlowFade, t, sceneEndMs()))
        engine->postFx->composite(*engine->textures, *glow, Composite::GlowMixed);
    fadeOut(kBarsFadeOut);
}

CameraShot barsShot(float sceneMs) {
    const float e = std::min(sceneMs, 6000.0f) * (1.0f / 6000.0f);
    const float f = 4500.0f * (e + 0.2f) * (e + 0.2f) - 50.0f;
    const float a = sceneMs * (1.0f / 5400.0f);
    return {{f - 100.0f * std::sin(a), 0, 100.0f * std::cos(a)}, {f, 0, 0}};
}

// The sines take products of the bar number, so the layout looks random but
// is the same on every frame; the single-precision constants are part of it.
Bar barAt(int k, float sceneMs, float beat) {
    const float e = std::min(sceneMs, 6000.0f) * (1.0f / 6000.0f);
    const float growth = 5.0f * e;
    const float s0 = std::min(sceneMs * 0.001f, 1.0f);
    const float i = static_cast<float>(k);
    const float x = std::fabs(std::sin(0.2f * (i + 0.3f) * (i + 0.9f)) * std::cos(0.23f * (i + 40.0f)) * 6000.0f);
    const float y = 60.0f * std::cos(3.2f * (i + 0.4f) * (i + 0.6f)) * std::cos(0.43f * i * (i + 5.0f));
    const float w = i + 4430.0f;
    const float z = 60.0f * std::sin(0.2f * (i + 0.33f) * (i + 0.654f)) * std::cos(0.233f * w);
    const float g = std::fabs(std::sin(0.23f * (i + 0.333f) * (i + 0.654f)) * std::cos(0.42333f * w)) * growth;
    const float s = std::max(0.0f, beat * s0 + g - 0.2f);
    return {{x, y, z}, s, {(1.0f / 4000.0f) * x * s, (1.0f / 7000.0f) * x * s, (1.0f - (1.0f / 5000.0f) * x) * s}};
}

namespace {

// The 3D picture into the bound target. Leaves the depth test on and
// blending, culling and texturing off.
void drawScene4() {
    const float local = sceneTimeMs();
    clearSceneTarget(kBlack);
    lookAt(barsShot(local));

    setGlState({.depthTest = kOn, .cullFace = kOff, .blend = kBlendOff, .texture2D = kOff});

    const float beat = beatPulse200();
    for (int k = 0; k < kBars; ++k) {
        const Bar bar = barAt(k, local, beat);
        const float s = bar.size;
        glPushMatrix();
        glTranslatef(bar.position.x, bar.position.y, bar.position.z);
        glColor3f(bar.colour.r, bar.colour.g, bar.colour.b);
        glScalef(5.0f * s, 0.1f * s, 0.2f * s);
        engine->drawTexturedCube(5.0f);
        glPopMatrix();
    }
}

}  // namespace
