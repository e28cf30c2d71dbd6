// The opening flight: a white screen fading to black under a flickering
// logo and a scrolling gradient strip, then the tile field under a pulsing
// sky, a camera that drops onto it with a damped bounce and follows the
// flight path, a glowing trail along that path and rising dust.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "assets/ase_model.h"
#include "assets/particles.h"
#include "assets/spline_path.h"
#include "assets/vec_math.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/frame_loop.h"
#include "runtime/music.h"
#include "runtime/timeline.h"
#include "scenes/scene_common.h"
#include "scenes/early_scenes.h"
#include "scenes/tile_field.h"

namespace {

ParticleSystem dustParticles;
SplinePath flightPath;
SplinePath cameraPaths[3];
SplinePath cameraTargetPath;
ParticleSystem trailParticles;
bool dustEmitted = false;

void loadPath(SplinePath& path, const char* file, float scale) {
    path.loadShape(file, 0);
    path.scale(scale);
}

void drawScene0();
void drawOverlays0();

}  // namespace

AseModel skyModel;

void initScene0() {
    fillTileHeights();
    dustParticles = ParticleSystem();
    loadPath(flightPath, "models/spline.ase", 0.1f);
    loadPath(cameraPaths[0], "models/cam1.ase", 0.07f);
    loadPath(cameraPaths[1], "models/cam1_2.ase", 0.14f);
    loadPath(cameraPaths[2], "models/cam1_3.ase", 0.11f);
    loadPath(cameraTargetPath, "models/cam1target.ase", 0.01f);
    trailParticles = ParticleSystem();
    skyModel.load("models/pallo.ASE");
}

void resetScene0() {
    dustParticles = ParticleSystem();
    dustEmitted = false;
}

void updateScene0() {
    // The dust appears once, on the first frame past 5000 ms, and is never
    // reset (not even by a seek back).
    if (!dustEmitted && musicTimeMs > 5000.0f) {
        dustParticles.emit(0, 3000, 50.0f, 30.0f, 50.0f);
        dustEmitted = true;
    }
    dustParticles.update(frameDeltaMs * 0.001f);
}

void renderScene0() {
    const float t = musicTimeMs;
    beginSceneFrame();
    drawScene0();
    glowAndComposite(0.002f);

    PostFx& fx = *engine->postFx;
    if (t >= 13700.0f && t < 15000.0f) fx.overlayWindow(0, 0, 0, std::min(1.0f, (15000.0f - t) * 0.00076923077f));
    const float cut = trackBPulse1000();
    if (cut > 0.0f) fx.overlayWindow(0, 0, 0, cut);
    if (t > 6500.0f && t < 7000.0f) fx.overlayWindow(0, 0, 0, (7000.0f - t) * 0.002f);
    if (t >= 28000.0f) {
        const float end = sceneEndMs();
        fx.composite(*engine->textures, 1.0f - (end - t) / (end - 28000.0f), Composite::GlowMixed);
    }
    drawOverlays0();
}

namespace {

// The 3D picture into the bound target. Leaves blending on (alpha mix),
// colour white, texturing and the depth test off.
void drawScene0() {
    const float t = musicTimeMs;
    if (t < 5000.0f) {
        const float g = 1.0f - t * 0.0002f;
        glClearColor(g, g, g, 1.0f);
    } else {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (t < 6500.0f) return;

    glLoadIdentity();
    const float drop = 25.0f - 25.0f * sigmoidStep((t - 6500.0f) * 0.001f) + 3.0f * dampedWave(t, 6500.0f, 10000.0f, 3);
    const float u = std::clamp((t - 13700.0f) * 0.00066666666f, 0.0f, 14.0f);
    const Vec3 eye = cameraPaths[trackBIndex() % 3].evaluate((t - static_cast<float>(trackBTime())) * 0.000125f);
    const Vec3 p = flightPath.evaluate(u);
    float eyeY = eye.y;
    float targetY = p.y;
    Vec3 offset;
    if (t <= 10000.0f) {
        eyeY = drop + 6.0f;
        targetY = drop + 3.0f;
        offset = {3.0f * std::sin(t * 0.000625f), 2.0f * (std::sin(t * 0.00052631577f) + 1.0f),
                  3.0f * std::cos(t * 0.00076923077f)};
    } else if (t < 13700.0f) {
        // Hand the camera over from the drop to the paths.
        const float w = std::min((t - 10000.0f) * 0.00027027028f, 1.0f);
        eyeY = (drop + 6.0f) + w * (eye.y - (drop + 6.0f));
        targetY = (drop + 3.0f) + w * (p.y - (drop + 3.0f));
    }
    gluLookAt(eye.x, eyeY, eye.z, p.x + offset.x, targetY + offset.y, p.z + offset.z, 0, 1, 0);

    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendOff, .texture2D = kOff, .fog = kOff});
    const float sky = spectrumBins[3] + spectrumBins[4] + spectrumBins[5] + spectrumBins[6] + 0.5f;
    glColor3f(sky, sky, sky);
    drawSkyAboutEye(skyModel);

    setGlState({.depthTest = kOn, .texture2D = kOff, .lineSmooth = kOff});
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

    const float o = sigmoidStep(t * 0.0001f);
    if (o < 0.8f) {
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
    // sin of the raw milliseconds jumps from frame to frame: the flicker.
    const float s = std::sin(t);
    const float c = t > 4500.0f ? (t - 4500.0f) * 0.002f : 2.0f - t * 0.0016666667f;
    if (s > c && t < 5000.0f) {
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
