// Scene 10, the credits: one card in front of the camera that fades in from
// white through a dying row wobble and fades to black before the end.
#include <GL/gl.h>

#include <algorithm>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene10.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

// Cue time, ms into the scene: the fade to black starts.
constexpr float kBlackFromMs = 5000;

void drawScene10();

}  // namespace

void initScene10() {}

void updateScene10() {}

void renderScene10() {
    beginSceneFrame();
    drawScene10();

    PostFx& fx = *engine->postFx;
    fx.glow(*engine->textures, false, 0.002f, 0.5f, 8);
    fx.composite(*engine->textures, 1.0f, Composite::Picture);  // the glow is made but not added here
    fx.rowWobble(*engine->textures, creditsWobble(sceneTimeMs()), musicTimeMs * 0.002f);

    fadeIn(kCreditsFadeIn);
    if (const auto black = creditsBlackAlpha(musicTimeMs)) fx.overlay(0, 0, 0, *black);
}

int creditsWobble(float sceneMs) {
    return static_cast<int>(10 * std::max(0.0f, 1 - sceneMs * (1.0f / 3000.0f)));
}

std::optional<float> creditsBlackAlpha(float t) {
    const float from = sceneStartTimeMs() + kBlackFromMs;
    if (!(t > from)) return std::nullopt;
    return (t - from) * (1.0f / 1000.0f);
}

namespace {

// Leaves blending on (source alpha), depth test and culling off, texturing as
// the card's texture left it.
void drawScene10() {
    clearSceneTarget(kBlack);

    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendMix});
    glColor4f(1, 1, 1, 1);

    // The floor quad stood up: a 2 x 2 card 4 units away, its texture upright.
    glTranslatef(0, 0, -4);
    glRotatef(90, 1, 0, 0);
    engine->textures->bind(engine->texCredits);
    engine->drawFloorQuad(1);
}

}  // namespace
