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
#include "assets/particles.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/music.h"
#include "runtime/timeline.h"
#include "scenes/scene_common.h"
#include "scenes/scenes_late.h"

namespace {

AseModel* cityModel = nullptr;
AseModel* cityBackdrop = nullptr;
ParticleSystem* cityDust = nullptr;
// The dust as init filled it: its spawn draws come from the shared
// sequence in start-up order, so a reset copies rather than emits again.
ParticleSystem* cityDustAtStart = nullptr;

constexpr float kDropStartMs = 161000;
constexpr float kRingsStartMs = 163000;
constexpr float kSwellStartMs = 171000;

void placeCamera(float now);
void drawGroundRings(float now);
void drawCity(float now, float spin);
void drawSlab();
void drawRays(float now, float spin);
void drawDust();

}  // namespace

void initScene7() {
    cityModel = new AseModel();
    cityModel->load("models/city.ASE");
    cityModel->computeNormals();
    cityBackdrop = new AseModel();
    cityBackdrop->load("models/tausta2.ASE");
    cityBackdrop->scale(5, 5, 5);
    cityBackdrop->computeNormals();
    cityDust = new ParticleSystem();
    cityDust->emit(4, 10000, 200, 300, 400);  // only the pool's slots fill
    cityDustAtStart = new ParticleSystem(*cityDust);
}

void resetScene7() { *cityDust = *cityDustAtStart; }

// The dust moves only while this scene is on screen.
void updateScene7() { cityDust->update(frameDeltaMs * 0.001f); }

void renderScene7() {
    beginSceneFrame();
    drawScene7();
    glowAndComposite(0.002f);
    mixGlowOnTrackB();
    const float e = sceneEndMs();
    if (e - 500 < musicTimeMs) engine->postFx->overlay(0, 0, 0, 1 - (e - musicTimeMs) * 0.002f);
}

// Leaves texturing on with the particle texture; lighting, culling and the
// depth test off; blending as the last dust particle set it.
void drawScene7() {
    const float now = musicTimeMs;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    placeCamera(now);

    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendOff});
    glColor3f(1, 1, 1);
    cityBackdrop->draw();
    if (now >= kRingsStartMs) drawGroundRings(now);

    const float spin = 0.09f * now;  // degrees: a quarter turn per second
    drawCity(now, spin);
    drawSlab();
    drawRays(now, spin);
    drawDust();
}

float cityTravel() { return cityTravelAt(musicTimeMs); }

float cityTravelAt(float t) { return (t - static_cast<float>(sceneStartMs[sceneIndex])) * 0.016f; }

float cityDrop() {
    if (musicTimeMs < kDropStartMs) return 0;
    const float d = std::min(musicTimeMs - kDropStartMs, 2000.0f) * 0.0005f;
    return -200 * d * d;
}

namespace {

// The shot of the current section, the opening rise, the A/B/beat shake and
// the growing shake of the last 2.5 s.
void placeCamera(float now) {
    const float T = sceneTimeMs();
    const float g = sigmoidStep(trackBPulse1000());  // near 1 just after a B event
    const int k = trackBCountInScene();
    Vec3 E;
    Vec3 C;
    switch (k) {
    case 0:
        E = {0, 10, cityTravel() + 10 * std::sin(-0.0016666667f * T) + 60};
        C = {0, 5, cityTravel()};
        break;
    case 1:
        E = {-90, 10, cityTravel() + 30 * std::sin(-0.0025f * T) - 10};
        C = {0, 5, cityTravel()};
        break;
    case 2:
        E = {60, 20, cityTravel() + 20 * std::sin(-0.002f * T) - 50};
        C = {0, 5, cityTravel()};
        break;
    default:
        E = {10, 20, cityTravel() + 10 * std::sin(-0.0016666667f * T) + 70};
        C = {0, cityDrop() + 5, cityTravel()};
        break;
    }
    if (k == 4) {
        // Swings out around the fallen city as the B pulse decays.
        const float a = 0.00083333335f * now;
        E.y = (1 - g) * (cityDrop() + 120 - E.y) + g * E.y;
        E.z = E.z + 40 * (1 - g) * std::sin(a);
        E.x = E.x + 40 * (1 - g) * std::cos(a);
    }
    if (k == 5) {
        const float b = -0.00083333335f * now;
        E.y = cityDrop() + 30;
        E.z = cityTravel() + 50 * std::sin(b);
        E.x = 70 * std::cos(b);
    }
    if (T < 2000) {
        // Rising out of the ground.
        const float x = T * 0.0005f;
        E.y = 16 * sigmoidStep(x) - 6;
        C.y = 75 * sigmoidStep(x) - 70;
    }
    float r = 0;
    const float e = sceneEndMs();
    if (now > e - 2500) r = (now - (e - 2500)) * 0.001f;

    const float jx = 2 * (trackAPulse500() + (trackBPulse1000() + r) * std::sin(now)) +
                     0.4f * beatPulse200() * std::sin(now);
    const float jy = 2 * (trackAPulse500() + (trackBPulse1000() + r) * std::sin(0.6666667f * now)) +
                     0.4f * beatPulse200() * std::sin(0.6666667f * now);
    gluLookAt(E.x + jx, E.y + jy, E.z + jx, C.x, C.y, C.z, 0, 1, 0);
}

// Leaves blending and texturing on, depth test and culling off.
void drawGroundRings(float now) {
    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendMix});
    engine->textures->bind(engine->texRing);
    glColor4f(0, 0, 0, 0.9f);
    const float z0 = cityTravelAt(kRingsStartMs);
    for (int n = 0; n < 200; ++n) {
        const float i = static_cast<float>(n);
        const float h = 15 * std::cos((i + 0.56f) * (i + 0.3f) * 0.44f) * std::cos((i + 40) * 0.33f);
        const float ti = kRingsStartMs + 150 * i;
        glPushMatrix();
        glTranslatef(30 * std::sin(0.2f * (i + 0.9f) * (i + 0.3f)) * std::cos(0.23f * (i + 40)), -200,
                     z0 + 20 * std::cos(3.2f * (i + 0.4f) * (i + 0.6f)) * std::cos(0.43f * i * (i + 5)) + 7 * i);
        if (now > ti) engine->drawFloorQuad(h - dampedWave(now, ti, ti + 1000, 2) * h);
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
    float s = 1;
    if (now > kSwellStartMs) s = 1 + (now - kSwellStartMs) * 0.000125f - 0.1f * beatPulse200();
    glScalef(s, s, s);

    cityModel->saveVertices();
    cityModel->ripple(0.04f, 0.2f, now * 0.0016666667f);
    cityModel->draw();
    cityModel->restoreVertices();

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
    if (cityModel->meshCount() > 0) {
        const AseMesh& mesh = *cityModel->meshes[0];
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
    cityDust->quadSize = 1.0f;
    cityDust->draw();  // type 4 sets its own blending and colour
    glPopMatrix();
}

}  // namespace
