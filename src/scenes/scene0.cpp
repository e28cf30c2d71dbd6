// The opening flight: a white screen fading to black under a flickering
// logo and a scrolling gradient strip, then the tile field under a pulsing
// sky, a camera that drops onto it with a damped bounce and follows the
// flight path, a glowing trail along that path and rising dust.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "assets/ase_model.h"
#include "assets/crt_random.h"
#include "assets/draw/particles.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "gfx/display.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene0.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"
#include "scenes/tile_field.h"

namespace {

ParticleSystem dustParticles;
SplinePath flightPath;
SplinePath cameraPaths[3];
SplinePath cameraTargetPath;
ParticleSystem trailParticles;
bool dustEmitted = false;

void drawScene0();
void drawOverlays0();

}  // namespace

AseModel skyModel;

void initScene0() {
    // The tile heights are the first draws of the sequence in a fresh
    // process, and must be in every start-up.
    setCrtRandState(1);
    fillTileHeights();
    loadScenePath(flightPath, "models/spline.ase", 0, 0.1f);
    loadScenePath(cameraPaths[0], "models/cam1.ase", 0, 0.07f);
    loadScenePath(cameraPaths[1], "models/cam1_2.ase", 0, 0.14f);
    loadScenePath(cameraPaths[2], "models/cam1_3.ase", 0, 0.11f);
    loadScenePath(cameraTargetPath, "models/cam1target.ase", 0, 0.01f);
    trailParticles = ParticleSystem();
    loadSceneModel(skyModel, "models/pallo.ASE");
    resetScene0();
}

void updateScene0() {
    // The dust appears once, on the first frame past 5000 ms, and is never
    // reset (not even by a seek back).
    if (!dustEmitted && dustDue(musicTimeMs)) {
        dustParticles.emit(ParticleSystem::kRisingDust, 3000, 50.0f, 30.0f, 50.0f);
        dustEmitted = true;
    }
    dustParticles.update(frameDeltaMs * 0.001f);
}

void resetScene0() {
    dustParticles = ParticleSystem();
    dustEmitted = false;
}

void renderScene0() {
    const float t = musicTimeMs;
    beginSceneFrame();
    drawScene0();
    glowAndComposite(0.002f);

    PostFx& fx = *engine->postFx;
    if (const auto veil = veilAlpha(t)) fx.overlayWindow(0, 0, 0, *veil);
    const float cut = trackBPulse1000();
    if (cut > 0.0f) fx.overlayWindow(0, 0, 0, cut);
    if (const auto dip = fieldDipAlpha(t)) fx.overlayWindow(0, 0, 0, *dip);
    if (const auto glow = endGlowAlpha(t, sceneEndMs())) fx.composite(*engine->textures, *glow, Composite::GlowMixed);
    drawOverlays0();
}

Colour openingClearColour(float t) {
    if (t < kWhiteEndMs) {
        const float g = 1.0f - t * (1.0f / 5000.0f);
        return {g, g, g, 1.0f};
    }
    return {0.0f, 0.0f, 0.0f, 0.0f};
}

bool fieldShown(float t) { return !(t < kFieldStartMs); }

bool dustDue(float t) { return t > kWhiteEndMs; }

float dropHeight(float t) {
    return 25.0f - 25.0f * sigmoidStep((t - kFieldStartMs) * (1.0f / 1000.0f)) +
           3.0f * dampedWave(t, kFieldStartMs, kDropEndMs, 3);
}

float flightParameter(float t) { return std::clamp((t - kFlightStartMs) * (1.0f / 1500.0f), 0.0f, 14.0f); }

float cameraPathParameter(float t) { return (t - static_cast<float>(trackBTime())) * (1.0f / 8000.0f); }

CameraShot openingShot(float t, Vec3 pathEye, Vec3 flightPoint) {
    const float drop = dropHeight(t);
    const Vec3& p = flightPoint;
    float eyeY = pathEye.y;
    float targetY = p.y;
    Vec3 offset;
    if (t <= kDropEndMs) {
        eyeY = drop + 6.0f;
        targetY = drop + 3.0f;
        offset = {3.0f * std::sin(t * (1.0f / 1600.0f)), 2.0f * (std::sin(t * (1.0f / 1900.0f)) + 1.0f),
                  3.0f * std::cos(t * (1.0f / 1300.0f))};
    } else if (t < kFlightStartMs) {
        const float w = std::min((t - kDropEndMs) * (1.0f / 3700.0f), 1.0f);
        eyeY = (drop + 6.0f) + w * (pathEye.y - (drop + 6.0f));
        targetY = (drop + 3.0f) + w * (p.y - (drop + 3.0f));
    }
    return {{pathEye.x, eyeY, pathEye.z}, {p.x + offset.x, targetY + offset.y, p.z + offset.z}};
}

std::optional<float> veilAlpha(float t) {
    if (!(t >= kFlightStartMs && t < kVeilEndMs)) return std::nullopt;
    return std::min(1.0f, (kVeilEndMs - t) * (1.0f / 1300.0f));
}

std::optional<float> fieldDipAlpha(float t) {
    if (!(t > kFieldStartMs && t < kFieldDipEndMs)) return std::nullopt;
    return (kFieldDipEndMs - t) * (1.0f / 500.0f);
}

std::optional<float> endGlowAlpha(float t, float sceneEnd) {
    if (!(t >= kEndGlowStartMs)) return std::nullopt;
    return 1.0f - (sceneEnd - t) / (sceneEnd - kEndGlowStartMs);
}

std::optional<float> gradientStripOffset(float t) {
    const float o = sigmoidStep(t * (1.0f / 10000.0f));
    if (!(o < 0.8f)) return std::nullopt;
    return o;
}

bool logoShown(float t) {
    // sin of the raw milliseconds jumps from frame to frame: the flicker.
    const float s = std::sin(t);
    const float c = t > kLogoFlickerOutMs ? (t - kLogoFlickerOutMs) * (1.0f / 500.0f) : 2.0f - t * (1.0f / 600.0f);
    return s > c && t < kWhiteEndMs;
}

namespace {

// The 3D picture into the bound target. Leaves blending on (alpha mix),
// colour white, texturing and the depth test off.
void drawScene0() {
    const float t = musicTimeMs;
    const Colour clear = openingClearColour(t);
    glClearColor(clear.r, clear.g, clear.b, clear.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!fieldShown(t)) return;

    glLoadIdentity();
    const float u = flightParameter(t);
    const Vec3 eye = cameraPaths[trackBIndex() % 3].evaluate(cameraPathParameter(t));
    lookAt(openingShot(t, eye, flightPath.evaluate(u)));

    // Texturing is set per mesh by the sky, and turned on by the tile field's
    // texture below.
    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendOff, .fog = kOff});
    const float sky = spectrumBins[3] + spectrumBins[4] + spectrumBins[5] + spectrumBins[6] + 0.5f;
    glColor3f(sky, sky, sky);
    drawSkyAboutEye(skyModel);

    setGlState({.depthTest = kOn, .lineSmooth = kOff});
    glColor3f(1.0f, 1.0f, 1.0f);

    ShaderManager& shaders = *engine->shaders;
    shaders.use(engine->progEnvmap);
    engine->textures->bind(engine->texPallo3);
    shaders.setSampler(engine->progEnvmap, "tex");
    shaders.setUniform1f(engine->progEnvmap, t * 0.001f, "time");
    drawTileField(30);
    shaders.unuse();

    setGlState({.depthTest = kOff, .cullFace = kOff, .texture2D = kOff});

    // The trail is rebuilt from nothing each frame under this camera, so it
    // is no state a later frame depends on.
    engine->textures->bind(engine->texPallo2);
    trailParticles.resetTrail();
    trailParticles.buildTrail(flightPath, u);
    trailParticles.sortTrail();
    trailParticles.draw();

    glColor3f(0.0f, 0.0f, 0.0f);
    engine->textures->bind(engine->texParticleMask);
    dustParticles.draw();

    setGlState({.depthTest = kOff, .blend = kBlendMix, .texture2D = kOff});
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// The gradient strip and the logo over the opening seconds, in display
// pixels. Leaves blending on (alpha mix) and the logo texture bound.
void drawOverlays0() {
    const float t = musicTimeMs;
    const float w = static_cast<float>(displayWidth);
    const float h = static_cast<float>(displayHeight);
    const float bottom = static_cast<float>(letterboxBottom());
    engine->setOrtho2D(w, h);
    setGlState({.blend = kBlendMix});
    engine->textures->bind(engine->texGradient);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    if (const auto strip = gradientStripOffset(t)) {
        const float o = *strip;
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, o);
        glVertex2f(0.0f, bottom - h);
        glTexCoord2f(1.0f, o);
        glVertex2f(w, bottom - h);
        glTexCoord2f(1.0f, o + 0.1f);
        glVertex2f(w, bottom);
        glTexCoord2f(0.0f, o + 0.1f);
        glVertex2f(0.0f, bottom);
        glEnd();
    }

    engine->textures->bind(engine->texLogo);
    if (logoShown(t)) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(0.0f, bottom - 512.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(512.0f, bottom - 512.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(512.0f, bottom);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(0.0f, bottom);
        glEnd();
    }
}

}  // namespace
