// Scene 6, spline flowers: three stems from a shape file grow as chains of
// nine-petal rosettes, with a brightness wave running along them, in front
// of the backdrop; black ring decals pop onto the ground. In the last 7 s
// every rosette bursts outward and tumbles. The camera orbits the first
// flower's tip and shakes on each B event.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene6.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"

namespace {

constexpr int kFlowerCount = 3;
SplinePath flowerPaths[kFlowerCount];
AseModel flowerBackdrop;

// Cue times: ms of music for the burst, ms into the scene for the rest.
constexpr float kBloomStartMs = 142000;  // the rosettes burst and tumble until the end
constexpr float kGrowthEndMs = 22000;    // the stems stop growing and the rings are all in
constexpr float kHigherOrbitMs = 7500;   // the eye moves to its higher orbit
constexpr float kSideTargetMs = 12000;   // the target moves to a side flower's tip
constexpr float kSwingOverMs = 23000;    // the camera swings round and over
constexpr float kRosetteStep = 0.05f;

// The program's generator is reseeded for every rosette with its index in
// the frame, so what it gives is a fixed function of the index: drawn once
// at start-up for every rosette the stems ever grow.
struct PetalDraws {
    uint32_t radius = 0;  // 0..9999: how far the rosette flies out in the burst
    float axis[3] = {};   // its tumble axis
};
std::vector<PetalDraws> petalDraws;

float flowerLength(int flower, float growth);
PetalDraws drawPetalRandoms(int seed);
void drawScene6();
void drawRings(float Tc);
void drawFlowers(float now, float growth);
void drawPetalGroup(float size, float grey, const float tint[3], int seed);

}  // namespace

void initScene6() {
    for (int i = 0; i < kFlowerCount; ++i) loadScenePath(flowerPaths[i], "models/kukka.ASE", i, 0.3f);
    loadSceneModel(flowerBackdrop, "models/tausta2.ASE");
    flowerBackdrop.computeNormals();
    // Growth stops at kGrowthEndMs, and a longer stem only adds rosettes.
    const int count = rosetteCount(flowerGrowth(kGrowthEndMs));
    petalDraws.resize(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c) petalDraws[static_cast<size_t>(c)] = drawPetalRandoms(c);
}

void updateScene6() {}

void renderScene6() {
    beginSceneFrame();
    drawScene6();
    glowAndComposite(0.002f);
    mixGlowOnTrackB();
    fadeIn(kFlowersFadeIn);
    fadeOut(kFlowersFadeOut);
}

float flowerGrowth(float sceneMs) { return std::min(sceneMs, kGrowthEndMs) * (1.0f / 3350.0f); }

float bloomFactor() {
    if (musicTimeMs <= kBloomStartMs) return 0;
    const float x = std::min((musicTimeMs - kBloomStartMs) * (1.0f / 7000.0f), 1.0f);
    const float o = 1 - x;
    return 1 - o * o * o * o;
}

int rosetteCount(float growth) {
    int count = 0;
    for (int f = 0; f < kFlowerCount; ++f) {
        const float L = flowerLength(f, growth);
        if (!(L > 0)) continue;
        float v = 0;
        do {
            ++count;
            v += kRosetteStep;
        } while (v < L);
    }
    return count;
}

// Each blend below moves towards the difference (Y - X) rather than Y:
// that is the camera's path as designed.
CameraShot flowerShot(float now, float T, Vec3 tip, Vec3 sideTip, float bPulse) {
    const float Tc = std::min(T, kGrowthEndMs);
    auto blend = [](Vec3 x, Vec3 y, float s) { return vec::add(vec::scaled(x, 1 - s), vec::scaled(vec::sub(y, x), s)); };

    Vec3 P = tip;
    const Vec3 Qa = {40 * std::sin((1.0f / 2000.0f) * now), 40, 40 * std::cos((1.0f / 2000.0f) * now)};
    const Vec3 Qb = {50 * std::sin(-(1.0f / 3000.0f) * now), 100, 50 * std::cos(-(1.0f / 3000.0f) * now)};
    Vec3 Q = Qa;
    Vec3 U = {0, 1, 0};
    if (Tc > kSideTargetMs) P = blend(P, sideTip, sigmoidStep((Tc - kSideTargetMs) * (1.0f / 2000.0f)));
    if (Tc > kHigherOrbitMs) Q = blend(Qa, Qb, sigmoidStep((Tc - kHigherOrbitMs) * (1.0f / 2000.0f)));
    if (T > kSwingOverMs) {
        const float s = sigmoidStep((T - kSwingOverMs) * (1.0f / 4000.0f));
        P = blend(P, {3, 2, 0}, s);
        Q = blend(Q, {Qb.x, 100, Qb.z}, s);
        U = {s, 1 - 2 * s, 0};
    }
    const float jx = 2 * bPulse * std::sin(now);
    const float jy = 2 * bPulse * std::cos((5.0f / 6.0f) * now);
    return {{Q.x + jx, Q.y + jy, Q.z + jx}, P, U};
}

std::optional<float> ringHalfSize(int n, float Tc) {
    const float i = static_cast<float>(n);
    // A negative half-size turns the ring texture by 180 degrees.
    const float h = 10 * std::cos((i + 0.56f) * (i + 0.3f) * 0.44f) * std::cos((i + 40) * 0.33f);
    const float start = 200 * i + 500;
    if (!(Tc > start)) return std::nullopt;
    return h - dampedWave(Tc, start, start + 1000, 2) * h;
}

float centreRingHalfSize(float Tc) { return 10 - 10 * dampedWave(Tc, 0, 2000, 3); }

std::optional<float> innerRingHalfSize(float Tc) {
    if (!(Tc > 500)) return std::nullopt;
    return 5 - 5 * dampedWave(Tc, 500, 2200, 3);
}

namespace {

// Leaves the depth test on; texturing, blending, lighting and culling off.
void drawScene6() {
    const float now = musicTimeMs;
    const float T = sceneTimeMs();
    const float Tc = std::min(T, kGrowthEndMs);
    const float u = flowerGrowth(T);
    clearSceneTarget(kBlack);
    lookAt(flowerShot(now, T, flowerPaths[0].evaluate(u), flowerPaths[1].evaluate(u - 2.5f), trackBPulse1000()));

    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendOff});
    glColor3f(1, 1, 1);
    flowerBackdrop.draw();
    drawRings(Tc);
    drawFlowers(now, u);
}

// The two side flowers start 2.5 units behind the first.
float flowerLength(int flower, float growth) { return flower == 0 ? growth : growth - 2.5f; }

PetalDraws drawPetalRandoms(int seed) {
    seedRandom(static_cast<uint32_t>(seed));
    PetalDraws d;
    d.radius = nextRandom() % 10000;
    for (float& m : d.axis) m = static_cast<float>(nextRandom() % 10000) * 0.001f;
    return d;
}

// 30 ring decals popping in one after another, then two large centre rings,
// all in the ground plane over the backdrop without depth test. Each
// bounces in over a second with two swings and then holds. Leaves the depth
// test on, blending and texturing off, the colour white.
void drawRings(float Tc) {
    setGlState({.blend = kBlendMix});
    engine->textures->bind(engine->texRing);
    glColor4f(0, 0, 0, 0.7f);
    for (int n = 0; n < 30; ++n) {
        const float i = static_cast<float>(n);
        glPushMatrix();
        glTranslatef(20 * std::sin(0.2f * (i + 0.9f) * (i + 0.3f)) * std::cos(0.23f * (i + 40)), 0,
                     20 * std::cos(3.2f * (i + 0.4f) * (i + 0.6f)) * std::cos(0.43f * i * (i + 5)));
        if (const auto h = ringHalfSize(n, Tc)) engine->drawFloorQuad(*h);
        glPopMatrix();
    }
    glColor4f(0, 0, 0, 1);
    engine->drawFloorQuad(centreRingHalfSize(Tc));
    if (const auto h = innerRingHalfSize(Tc)) engine->drawFloorQuad(*h);

    setGlState({.depthTest = kOn, .blend = kBlendOff, .texture2D = kOff});
    glColor3f(1, 1, 1);
}

// Each stem is a chain of rosettes every 0.05 of path parameter, the oldest
// (at the root) the largest. A rosette keeps its projected position but is
// turned in eye space to face along its stem.
void drawFlowers(float now, float growth) {
    static const float kTints[kFlowerCount][3] = {{0.4f, 0.02f, 0.02f}, {0.72f, 0.7f, 0.1f}, {0.72f, 0.7f, 0.1f}};
    int c = 0;
    for (int f = 0; f < kFlowerCount; ++f) {
        const float L = flowerLength(f, growth);
        if (!(L > 0)) continue;
        float v = 0;
        int k = 0;
        do {
            k = 1 - k;
            const float size = (L - v) * 6;
            glPushMatrix();
            const Vec3 A = flowerPaths[f].evaluate(v);
            const Vec3 B = flowerPaths[f].evaluate(v + kRosetteStep);
            const Vec3 F = vec::normalised(vec::sub(B, A));
            const Vec3 R = {F.y, -F.x, 0};
            glTranslatef(A.x, A.y, A.z);
            float m[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, m);
            m[0] = R.x, m[1] = R.y, m[2] = 0;
            m[4] = 0, m[5] = 0, m[6] = 1;
            m[8] = F.x, m[9] = F.y, m[10] = F.z;
            glLoadMatrixf(m);
            glRotatef(20.0f * static_cast<float>(k), 0, 1, 0);
            const float g = f == 0 ? std::max(0.0f, 20 * (std::sin((1.0f / 300.0f) * now + 2 * v) - 0.95f))
                                   : std::max(0.0f, 10 * (std::sin(0.01f * now + 4 * v) - 0.9f));
            drawPetalGroup(size, g, kTints[f], c);
            ++c;
            glPopMatrix();
            v += kRosetteStep;
        } while (v < L);
    }
}

// Nine petals 40 degrees apart round the rosette's axis, pushed out and
// tilted as the rosette ages; in the burst they fly out and tumble.
void drawPetalGroup(float size, float grey, const float tint[3], int seed) {
    const float a = std::min(size, 1.0f);
    const PetalDraws draws =
        seed >= 0 && static_cast<size_t>(seed) < petalDraws.size() ? petalDraws[static_cast<size_t>(seed)] : PetalDraws{};
    const float H = 1 + 0.01f * bloomFactor() * static_cast<float>(draws.radius);
    // sin(-1.570795), sin(1.570795) and -cos(1.570795), scaled: the petal's
    // corners, as the quarter-turn constant gives them.
    const float xMinus = 0.4f * std::sin(-1.570795f);
    const float xPlus = 0.4f * std::sin(1.570795f);
    const float c = -0.4f * std::cos(1.570795f);
    for (int j = 0; j < 9; ++j) {
        glPushMatrix();
        glScalef(a, a, a);
        glRotatef(40.0f * static_cast<float>(j), 0, 1, 0);
        glTranslatef(0, 0, H);
        glRotatef(160 * a, 1, 0, 0);
        glRotatef(100 * bloomFactor(), draws.axis[0], draws.axis[1], draws.axis[2]);
        if (j % 2 == 1) {
            glColor3f(grey, grey, grey);
        } else {
            glColor3f(grey + tint[0], grey + tint[1], grey + tint[2]);
        }
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(xMinus, 0, c);
        glTexCoord2f(1, 0);
        glVertex3f(xMinus, 2, c);
        glTexCoord2f(1, 1);
        glVertex3f(xPlus, 2, c);
        glTexCoord2f(0, 1);
        glVertex3f(xPlus, 0, c);
        glEnd();
        glPopMatrix();
    }
}

}  // namespace
