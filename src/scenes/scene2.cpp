// Rising through the clouds: the camera looks straight down while a stack of
// pale blue cloud sheets comes down past it and sinks away below. Each beat
// flashes faintly; the last two seconds turn to white. Each frame depends on
// the clock alone.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene2.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

void drawScene2();

}  // namespace

// The clouds need nothing beyond the engine's textures.
void initScene2() {}

void renderScene2() {
    beginSceneFrame();
    drawScene2();
    glowAndComposite(0.002f);
    // Drawn on every frame; between beats its alpha is 0.
    engine->postFx->overlay(1, 1, 1, 0.2f * beatPulse200());
    fadeOut(kCloudsFadeOut);
}

float cloudClearGrey(float t, float sceneEnd) {
    const float d = sceneEnd - t;
    return d < 2000.0f ? (2000.0f - d) * (1.0f / 2000.0f) : 0.0f;
}

float cloudSheetHeight(int i, float sceneMs) { return static_cast<float>(i) - sceneMs * 0.02f; }

namespace {

// The 3D picture into the bound target. Leaves blending on (alpha mix),
// the depth test and culling off, the cloud texture bound.
void drawScene2() {
    const float g = cloudClearGrey(musicTimeMs, sceneEndMs());
    clearSceneTarget({g, g, g, 1.0f});
    // One unit above the origin looking down, +x up in the picture.
    lookAt({{0, 1, 0}, {0, 0, 0}, {1, 0, 0}});

    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendMix});
    engine->textures->bind(engine->texCloud);

    const float sceneMs = sceneTimeMs();
    for (int k = 0; k < kCloudSheets; ++k) {
        const float i = static_cast<float>(k);
        glPushMatrix();
        glTranslatef(std::sin(0.1f * i), cloudSheetHeight(k, sceneMs), 0.0f);
        glColor4f(0.6f + 0.08f * std::cos(0.31f * i), 0.86f + 0.1f * std::sin(0.3f * i), 1.0f, 1.0f);
        glRotatef(std::sin(0.3f * i) * i * i * 0.2f, 0, 1, 0);
        engine->drawFloorQuad(10.0f);
        glPopMatrix();
    }
}

}  // namespace
