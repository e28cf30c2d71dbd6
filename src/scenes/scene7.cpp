// Scene 7, the falling city: a lit, rippling city spins about the x axis as
// it drifts forward over a black slab, with light strokes flashing along its
// normals and dark dust around it. At 161000 ms it drops 200 units; from
// 163000 ms ring decals pop in on the ground below; from 171000 ms it swells
// with the beat. The camera changes at each B event.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "assets/ase_model.h"
#include "assets/draw/particles.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene7.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

AseModel cityModel;
AseModel cityBackdrop;
ParticleSystem cityDust;
// The dust as init filled it: its spawn draws come from the shared
// sequence in start-up order, so a reset copies rather than emits again.
ParticleSystem cityDustAtStart;

void drawScene7();
void placeCamera(float now);
void drawGroundRings(float now);
void drawCity(float now, float spin);
void drawSlab();
void drawRays(float now, float spin);
void drawDust();

}  // namespace

void initScene7() {
    loadSceneModel(cityModel, "models/city.ASE");
    cityModel.computeNormals();
    loadSceneModel(cityBackdrop, "models/tausta2.ASE");
    cityBackdrop.scale(5, 5, 5);
    cityBackdrop.computeNormals();
    cityDust = ParticleSystem();
    cityDust.emit(ParticleSystem::kRisingSmoke, 10000, 200, 300, 400);  // only the pool's slots fill
    cityDustAtStart = cityDust;
}

// The dust moves only while this scene is on screen.
void updateScene7() { cityDust.update(frameDeltaMs * 0.001f); }

void resetScene7() { cityDust = cityDustAtStart; }

void renderScene7() {
    beginSceneFrame();
    drawScene7();
    glowAndComposite(0.002f);
    mixGlowOnTrackB();
    fadeOut(kCityFadeOut);
}

float cityTravel() { return cityTravelAt(musicTimeMs); }

float cityTravelAt(float t) { return (t - sceneStartTimeMs()) * 0.016f; }

float cityDrop() { return cityDropAt(musicTimeMs); }

float cityDropAt(float t) {
    if (t < kDropStartMs) return 0;
    const float d = std::min(t - kDropStartMs, 2000.0f) * (1.0f / 2000.0f);
    return -200 * d * d;
}

CameraShot cityShot(int k, float now, float g) {
    const float T = now - sceneStartTimeMs();
    const float dz = cityTravelAt(now);
    const float drop = cityDropAt(now);
    Vec3 E;
    Vec3 C;
    switch (k) {
    case 0:
        E = {0, 10, dz + 10 * std::sin(-(1.0f / 600.0f) * T) + 60};
        C = {0, 5, dz};
        break;
    case 1:
        E = {-90, 10, dz + 30 * std::sin(-(1.0f / 400.0f) * T) - 10};
        C = {0, 5, dz};
        break;
    case 2:
        E = {60, 20, dz + 20 * std::sin(-(1.0f / 500.0f) * T) - 50};
        C = {0, 5, dz};
        break;
    default:
        E = {10, 20, dz + 10 * std::sin(-(1.0f / 600.0f) * T) + 70};
        C = {0, drop + 5, dz};
        break;
    }
    if (k == 4) {
        // Swings out around the fallen city as the B pulse decays.
        const float a = (1.0f / 1200.0f) * now;
        E.y = (1 - g) * (drop + 120 - E.y) + g * E.y;
        E.z = E.z + 40 * (1 - g) * std::sin(a);
        E.x = E.x + 40 * (1 - g) * std::cos(a);
    }
    if (k == 5) {
        const float b = -(1.0f / 1200.0f) * now;
        E.y = drop + 30;
        E.z = dz + 50 * std::sin(b);
        E.x = 70 * std::cos(b);
    }
    if (T < 2000) {
        // Rising out of the ground.
        const float x = T * (1.0f / 2000.0f);
        E.y = 16 * sigmoidStep(x) - 6;
        C.y = 75 * sigmoidStep(x) - 70;
    }
    return {E, C};
}

float cityScale(float now, float beat) {
    if (!(now > kSwellStartMs)) return 1;
    return 1 + (now - kSwellStartMs) * (1.0f / 8000.0f) - 0.1f * beat;
}

std::optional<float> groundRingHalfSize(int n, float now) {
    const float i = static_cast<float>(n);
    const float h = 15 * std::cos((i + 0.56f) * (i + 0.3f) * 0.44f) * std::cos((i + 40) * 0.33f);
    const float ti = kRingsStartMs + 150 * i;
    if (!(now > ti)) return std::nullopt;
    return h - dampedWave(now, ti, ti + 1000, 2) * h;
}

namespace {

// Leaves texturing on with the particle texture; lighting, culling and the
// depth test off; blending as the last dust particle set it.
void drawScene7() {
    const float now = musicTimeMs;
    clearSceneTarget(kBlack);
    placeCamera(now);

    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendOff});
    glColor3f(1, 1, 1);
    cityBackdrop.draw();
    if (now >= kRingsStartMs) drawGroundRings(now);

    const float spin = 0.09f * now;  // degrees: a quarter turn per second
    drawCity(now, spin);
    drawSlab();
    drawRays(now, spin);
    drawDust();
}

// The shot of the current section, the A/B/beat shake and the growing
// shake of the last 2.5 s. The pulses are read afresh for each term.
void placeCamera(float now) {
    const CameraShot shot = cityShot(trackBCountInScene(), now, sigmoidStep(trackBPulse1000()));
    float r = 0;
    const float e = sceneEndMs();
    if (now > e - 2500) r = (now - (e - 2500)) * 0.001f;

    const float jx = 2 * (trackAPulse500() + (trackBPulse1000() + r) * std::sin(now)) +
                     0.4f * beatPulse200() * std::sin(now);
    const float jy = 2 * (trackAPulse500() + (trackBPulse1000() + r) * std::sin((2.0f / 3.0f) * now)) +
                     0.4f * beatPulse200() * std::sin((2.0f / 3.0f) * now);
    lookAt({{shot.eye.x + jx, shot.eye.y + jy, shot.eye.z + jx}, shot.centre});
}

// Leaves blending and texturing on, depth test and culling off.
void drawGroundRings(float now) {
    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendMix});
    engine->textures->bind(engine->texRing);
    glColor4f(0, 0, 0, 0.9f);
    const float z0 = cityTravelAt(kRingsStartMs);
    for (int n = 0; n < 200; ++n) {
        const float i = static_cast<float>(n);
        glPushMatrix();
        glTranslatef(30 * std::sin(0.2f * (i + 0.9f) * (i + 0.3f)) * std::cos(0.23f * (i + 40)), -200,
                     z0 + 20 * std::cos(3.2f * (i + 0.4f) * (i + 0.6f)) * std::cos(0.43f * i * (i + 5)) + 7 * i);
        if (const auto h = groundRingHalfSize(n, now)) engine->drawFloorQuad(*h);
        glPopMatrix();
    }
}

// Amber light; the rippled vertices are put back after drawing. Leaves
// lighting and light 0 on, culling and the depth test on, no program.
void drawCity(float now, float spin) {
    applyLightAndMaterial({
        {40, 10, 50 * std::sin(0.001f * now), 1},  // light position
        {0.85f, 0.6f, 0.3f, 1},  // light ambient
        {0.6f, 0.6f, 0.6f, 1},  // light diffuse
        {0.6f, 0.6f, 0.6f, 1},  // light specular
        {0.85f, 0.6f, 0.3f, 1},  // material ambient
        {0.5f, 0.5f, 0.5f, 1},  // material diffuse
        {0.6f, 0.6f, 0.6f, 1},  // material specular
        20,  // shininess
    });
    setGlState({.depthTest = kOn, .cullFace = kOn, .blend = kBlendOff, .texture2D = kOff});
    glPushMatrix();

    ShaderManager& shaders = *engine->shaders;
    const unsigned int prog = engine->progPhong;
    shaders.use(prog);
    shaders.setUniform1f(prog, now, "time");
    shaders.setUniform1f(prog, 12, "minus");
    shaders.setUniform1f(prog, 10, "div");
    shaders.setUniform1f(prog, 0.2f, "mull");

    const float bob = std::fabs(2 * std::sin(0.06981312f * spin + 0.2f));
    glTranslatef(0, cityDrop() + bob, cityTravel());
    glRotatef(spin, 1, 0, 0);
    const float s = cityScale(now, beatPulse200());
    glScalef(s, s, s);

    cityModel.saveVertices();
    cityModel.ripple(0.04f, 0.2f, now * (1.0f / 600.0f));
    cityModel.draw();
    cityModel.restoreVertices();

    shaders.unuse();
    glPopMatrix();
}

// A black slab 20 wide, 2 high and 400 deep under the city, untextured.
void drawSlab() {
    setGlState({.cullFace = kOff, .blend = kBlendOff, .texture2D = kOff, .lighting = kOff, .light0 = kOff});
    glPushMatrix();
    glTranslatef(0, -12, 0);
    glColor3f(0, 0, 0);
    glScalef(1 + 0.1f * beatPulse200(), 0.1f, 20);
    engine->drawTexturedCube(10);
    glPopMatrix();
}

// Additive strokes along the normals of the city's first mesh, running as
// a wave over it: they follow the drop, travel and spin but not the bob or
// the swell. Leaves blending (additive) on and smooth lines on.
void drawRays(float now, float spin) {
    setGlState({.depthTest = kOn, .blend = kBlendAdd, .texture2D = kOff, .lineSmooth = kOn});
    glLineWidth(2.5f);
    glPushMatrix();
    glTranslatef(0, cityDrop(), cityTravel());
    glRotatef(spin, 1, 0, 0);
    if (cityModel.meshCount() > 0) {
        const AseMesh& mesh = *cityModel.meshes[0];
        const size_t count = std::min(mesh.vertices.size(), mesh.vertexNormals.size());
        for (size_t j = 0; j < count; ++j) {
            const Vec3 V = mesh.vertices[j];
            const Vec3 N = mesh.vertexNormals[j];
            const float a = std::sin(5 * (V.x + V.y + V.z) - 0.002f * now) - (0.95f - 0.05f * beatPulse200());
            if (vec::length(V) > 12 && a > 0) {
                glColor4f(0.5f, 0.85f, 0.75f, 5 * a);
                const Vec3 end = vec::sub(V, vec::scaled(N, 100 * a));
                glBegin(GL_LINES);
                glVertex3f(V.x, V.y, V.z);
                glVertex3f(end.x, end.y, end.z);
                glEnd();
            }
        }
    }
    glPopMatrix();
}

void drawDust() {
    setGlState({.depthTest = kOff, .cullFace = kOff, .texture2D = kOff, .lighting = kOff, .lineSmooth = kOff});
    glColor4f(0, 0, 0, 1);
    glPushMatrix();
    engine->textures->bind(engine->texParticle);
    cityDust.quadSize = 1.0f;
    cityDust.draw();  // rising smoke sets its own blending and colour
    glPopMatrix();
}

}  // namespace
