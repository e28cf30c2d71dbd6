// The cloud tunnel: seven copies of the abc model at staggered depths along
// -z under the equaliser program, inside an eye-space sky and a tunnel of
// warm translucent sheets that pulse with the beat. Each B event starts the
// next camera move; from the third on the picture goes through the wave
// warp. Each frame depends on the clock alone.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "assets/ase_model.h"
#include "assets/vec_math.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene3.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

AseModel skyModelB;
AseModel abcModel;

constexpr LightAndMaterial kModelLight = {
    {40, 10, 400, 1}, {0, 0, 0, 1}, {0.2f, 0.2f, 0.2f, 1}, {1, 1, 1, 1},
    {0, 0, 0, 1},     {0.2f, 0.2f, 0.2f, 1}, {1, 1, 1, 1}, 40,
};

struct ModelCopy {
    float x, y, z;
    float roll;  // degrees about (0, 0, 1)
};
constexpr ModelCopy kCopies[] = {
    {-14, 10, 0, 0},   {10, -6, -40, 0},  {5, 12, -110, 0},   {-4, -11, -160, 0},
    {7, -6, -200, 45}, {-9, 9, -330, -45}, {8, -9, -420, 45},
};

constexpr int kTunnelSheets = 30;

void drawScene3();

}  // namespace

void initScene3() {
    // A second copy of the sky, independent of the opening flight's.
    loadSceneModel(skyModelB, "models/pallo.ASE");
    loadSceneModel(abcModel, "models/abc.ASE");
    abcModel.computeNormals();
}

void renderScene3() {
    const float t = musicTimeMs;
    beginSceneFrame();
    drawScene3();
    blurGlow(0.002f);

    PostFx& fx = *engine->postFx;
    TextureManager& textures = *engine->textures;
    if (tunnelWarped(trackBCountInScene())) {
        const float bass = spectrumBins[2] + spectrumBins[3] + spectrumBins[4];
        fx.waveWarp(textures, tunnelWarpAmount(sceneTimeMs(), bass), t * 0.002f);
    } else {
        fx.composite(textures, 1.0f, Composite::Picture);
    }
    fx.composite(textures, 1.0f, Composite::GlowAdded);

    // The glow follows the slower pulse, so it stops at half strength.
    if (trackBPulse1000() > 0.0f) {
        fx.composite(textures, trackBPulse2000(), Composite::GlowMixed);
        fx.overlay(0, 0, 0, trackBPulse1000());
    }
    fadeIn(kTunnelFadeIn);
    fadeOut(kTunnelFadeOut);
}

float tunnelShotProgress(float t) { return (t - static_cast<float>(trackBTime())) * (1.0f / 7500.0f); }

CameraShot scene3Shot(int k, float f, float beat) {
    const float sg = sigmoidStep(f);
    const float eo = 1.0f - (1.0f - f) * (1.0f - f);
    const float f2 = f * f;
    switch (k) {
    case 0:
        return {{2 * beat, 2, 50 - 450 * eo}, {0, 0, 100}, {std::sin(12 * sg), std::cos(12 * sg), 0}};
    case 1:
        return {{2 * beat, 2, 400 * f2 - 400}, {10 * sg, 0, 100}, {std::sin(12 - 6 * sg), std::cos(12 - 6 * sg), 0}};
    case 2:
        return {{20 * std::cos(6 * sg), 20 * std::sin(6 * sg), 100 - 500 * eo},
                {2 * sg, 0, -800},
                {std::sin(6 - 6 * sg), std::cos(6 - 6 * sg), 0}};
    case 3:
        return {{50 * std::cos(6 * sg), 50 * std::sin(6 * sg), 200 * sg - 200}, {0, 0, -200}, {0, 0, 1}};
    default:
        return {{50 * std::cos(6 * sg), 50 * std::sin(6 * sg), 200 * sg - 100}, {0, 400 * eo, -200}, {0, 0, 1}};
    }
}

bool tunnelWarped(int k) { return k >= 2; }

int tunnelWarpAmount(float sceneMs, float bass) {
    return static_cast<int>(((sceneMs - 13000.0f) * (1.0f / 800.0f) + 20.0f) * bass);
}

namespace {

// The 3D picture into the bound target. Leaves blending on (alpha mix),
// lighting, culling and the depth test off, the cloud texture bound.
void drawScene3() {
    const float t = musicTimeMs;
    const float beat = beatPulse200();
    clearSceneTarget({0.0f, 0.0f, 0.0f, 0.0f});
    setGlState({.depthTest = kOff, .blend = kBlendOff});

    lookAt(scene3Shot(trackBCountInScene(), tunnelShotProgress(t), beat));

    // The sky in eye space: no camera transform at all.
    glPushMatrix();
    glLoadIdentity();
    const float c = 0.3f * beat;
    glColor3f(c, c + 0.1f, c + 0.5f);
    skyModelB.draw();
    glPopMatrix();

    applyLightAndMaterial(kModelLight);

    setGlState({.depthTest = kOn, .cullFace = kOn, .blend = kBlendOff, .texture2D = kOff});
    ShaderManager& shaders = *engine->shaders;
    const unsigned int program = engine->progEqu2;
    shaders.use(program);
    shaders.setUniform1f(program, t * 0.5f, "time");
    shaders.setUniform1f(program, 30.0f, "minus");
    shaders.setUniform1f(program, 35.0f, "div");
    shaders.setUniform1f(program, 0.04f, "mull");
    shaders.setUniform1f(program, 0.995f - 0.05f * beat, "mul2");
    shaders.setSampler(program, "tex");
    for (const ModelCopy& copy : kCopies) {
        glPushMatrix();
        glTranslatef(copy.x, copy.y, copy.z);
        if (copy.roll != 0.0f) glRotatef(copy.roll, 0, 0, 1);
        abcModel.draw();
        glPopMatrix();
    }
    shaders.unuse();

    beginTranslucentSheets(engine->texCloud);
    for (int k = 0; k < kTunnelSheets; ++k) {
        const float i = static_cast<float>(k);
        glPushMatrix();
        glTranslatef(3.0f * std::sin(0.1f * i), 2.0f * std::cos(0.27f * i), 50.0f - 15.0f * i);
        glColor4f(0.7f, 0.5f, 0.3f, 0.3f - 0.15f * beat);
        // Stand the sheet across the z axis, then give it its own turn.
        glRotatef(90.0f, 1, 0, 0);
        glRotatef(std::sin(0.5f * i) * i * i * 0.2f, 0, 1, 0);
        engine->drawFloorQuad(100.0f);
        glPopMatrix();
    }
}

}  // namespace
