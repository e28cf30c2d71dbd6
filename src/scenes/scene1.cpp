// The symbols: a lit model turning above a wide ground plane inside the sky
// sphere, a field of motes around it, and, for the active part of every
// turn, a shaking camera, a flickering sky and bursts of sparks. Each B
// event cuts to the next pair of eye and target paths.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "assets/ase_model.h"
#include "assets/draw/particles.h"
#include "assets/spline_path.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene1.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

AseModel symbolsModel;
SplinePath symbolEyePaths[3];
SplinePath symbolTargetPaths[3];
ParticleSystem fieldParticles;
ParticleSystem sparkParticles;
bool fieldEmitted = false;
float sparkTimerMs = 0.0f;

constexpr LightAndMaterial kSymbolLight = {
    {50, 50, 20, 1},         {0.3f, 0.6f, 0.85f, 1}, {0.6f, 0.6f, 0.6f, 1}, {0.6f, 0.6f, 0.6f, 1},
    {0.3f, 0.6f, 0.85f, 1},  {0.5f, 0.5f, 0.5f, 1},  {0.6f, 0.6f, 0.6f, 1}, 20,
};

void drawScene1();

}  // namespace

void initScene1() {
    const char* file = "models/symbols.ASE";
    loadSceneModel(symbolsModel, file);
    symbolsModel.computeNormals();
    for (int k = 0; k < 3; ++k) {
        loadScenePath(symbolEyePaths[k], file, 2 * k, 1.0f);
        loadScenePath(symbolTargetPaths[k], file, 2 * k + 1, 1.0f);
    }
    resetScene1();
}

void updateScene1() {
    // The pool has 5000 slots, so asking for 10000 fills it.
    if (!fieldEmitted) {
        fieldParticles.emit(ParticleSystem::kRisingDust, 10000, 2000.0f, 400.0f, 2000.0f);
        fieldEmitted = true;
    }
    fieldParticles.update(frameDeltaMs * 0.001f);
    if (advanceSparkTimer(sparkTimerMs, frameDeltaMs) && symbolShake() > 0.0f)
        sparkParticles.emit(ParticleSystem::kSpark, 70, 20.0f, 10.0f, 180.0f);
    sparkParticles.update(frameDeltaMs * 0.001f);
}

void resetScene1() {
    fieldParticles = ParticleSystem();
    sparkParticles = ParticleSystem();
    fieldEmitted = false;
    sparkTimerMs = 0.0f;
}

void renderScene1() {
    const float t = musicTimeMs;
    beginSceneFrame();
    drawScene1();
    // A tighter glow than the other scenes.
    glowAndComposite(0.001f);

    PostFx& fx = *engine->postFx;
    TextureManager& textures = *engine->textures;
    if (const auto clearing = clearingGlowAlpha(t)) fx.composite(textures, *clearing, Composite::GlowMixed);
    const float cut = trackBPulse1000();
    if (cut > 0.0f) {
        fx.composite(textures, cut, Composite::GlowMixed);
        fx.overlay(0, 0, 0, cut);
    }
    fadeOut(kSymbolsFadeOut);
}

float symbolAngle() { return sceneTimeMs() * 0.05f; }

float symbolShake() { return static_cast<int>(symbolAngle()) % 360 > 200 ? 9.0f : 0.0f; }

float symbolPathParameter(float t) { return (t - static_cast<float>(trackBTime())) * (1.0f / 2500.0f); }

bool advanceSparkTimer(float& timerMs, float frameMs) {
    timerMs += frameMs;
    if (!(timerMs >= 100.0f)) return false;
    timerMs = 0.0f;
    return true;
}

std::optional<float> clearingGlowAlpha(float t) {
    const float clearedAt = sceneStartTimeMs() + 2000.0f;
    if (!(t < clearedAt)) return std::nullopt;
    return (clearedAt - t) * (1.0f / 2000.0f);
}

namespace {

// The 3D picture into the bound target. Leaves lighting, culling,
// texturing and the depth test off, and the blending the last spark set.
void drawScene1() {
    const float t = musicTimeMs;
    clearSceneTarget(kBlack);
    setGlState({.blend = kBlendOff});

    const int k = trackBCountInScene() % 3;
    const float p = symbolPathParameter(t);
    const Vec3 a = symbolEyePaths[k].evaluate(p);
    const Vec3 b = symbolTargetPaths[k].evaluate(p);
    const float shake = symbolShake();
    // Raw milliseconds as radians: a new direction every frame.
    lookAt({{a.x + shake * std::sin(t + shake), a.y + shake * std::cos(3.0f * t - shake),
             a.z + shake * std::cos(2.0f * t + shake)},
            {b.x, b.y - 5.0f, b.z}});

    float c = 0.5f * beatPulse200();
    if (shake > 0.0f)
        c += 0.5f * std::sin(spectrumBins[3] + spectrumBins[4] + spectrumBins[5] + spectrumBins[6] + 5.0f * t);
    setGlState({.depthTest = kOff});
    glColor3f(c, c, c);
    drawSkyAboutEye(skyModel);

    applyLightAndMaterial(kSymbolLight);

    ShaderManager& shaders = *engine->shaders;
    setGlState({.depthTest = kOn, .cullFace = kOn, .blend = kBlendOff, .texture2D = kOff});
    glPushMatrix();
    shaders.use(engine->progPhong);
    shaders.setUniform1f(engine->progPhong, t, "time");
    shaders.setUniform1f(engine->progPhong, 40.0f * std::sin(t * (1.0f / 300.0f)) + 340.0f, "minus");
    shaders.setUniform1f(engine->progPhong, 100.0f, "div");
    shaders.setUniform1f(engine->progPhong, 0.05f, "mull");
    glTranslatef(2.0f * std::sin(t + 2.0f), 2.0f * std::sin(t - 4.0f), 2.0f * std::sin(1.5f * t + 4.0f));
    glRotatef(symbolAngle(), 0, 0, 1);
    symbolsModel.draw();
    glPopMatrix();
    shaders.unuse();

    setGlState({.cullFace = kOff, .lighting = kOff});
    glColor3f(1.0f, 1.0f, 1.0f);
    shaders.use(engine->progEnvmapTex);
    glActiveTexture(GL_TEXTURE0);
    engine->textures->bind(engine->texGround);
    shaders.setSampler(engine->progEnvmapTex, "tex");
    shaders.setUniform1f(engine->progEnvmapTex, t * 0.001f, "time");
    engine->drawFloorQuad(1600.0f);
    shaders.unuse();

    setGlState({.depthTest = kOff, .cullFace = kOff, .texture2D = kOff});
    glColor3f(0.0f, 0.0f, 0.0f);

    // quadSize is a drawing setting only; particle motion never reads it.
    engine->textures->bind(engine->texParticleMask);
    fieldParticles.quadSize = 5.0f;
    fieldParticles.draw();

    engine->textures->bind(engine->texCloudy);
    sparkParticles.quadSize = 25.0f;
    glPushMatrix();
    glTranslatef(-380.0f, 0.0f, 0.0f);
    sparkParticles.draw();
    glPopMatrix();
}

}  // namespace
