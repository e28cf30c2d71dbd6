#include "assets/draw/particles.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "assets/crt_random.h"
#include "assets/spline_path.h"
#include "gfx/gl_matrix.h"
#include "gfx/gl_state.h"

namespace {

// A value in [-1, 0.9998].
double random10k() { return (crtRand() % 10000) * 0.0002 - 1.0; }

Vec3 randomInBox(float sx, float sy, float sz) {
    const double x = random10k() * sx;
    const double y = random10k() * sy;
    const double z = random10k() * sz;
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// The camera matrix translated to p, its rotation and scale dropped: what
// follows is drawn in eye units facing the eye.
void facingAt(const float (&camera)[16], const Vec3& p, float (&m)[16]) {
    translatedMatrix(camera, p, m);
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) m[c * 4 + row] = c == row ? 1.0f : 0.0f;
}

void quad(float s) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-s, s, 0);
    glTexCoord2f(1, 0);
    glVertex3f(s, s, 0);
    glTexCoord2f(1, 1);
    glVertex3f(s, -s, 0);
    glTexCoord2f(0, 1);
    glVertex3f(-s, -s, 0);
    glEnd();
}

}  // namespace

ParticleSystem::ParticleSystem()
    : positions(kSlots), velocities(kSlots), life(kSlots), types(kSlots), alive(kSlots), spawnBox(kSlots) {}

void ParticleSystem::emit(int32_t type, int32_t count, float sx, float sy, float sz) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (alive[slot] > 0) continue;
        count -= 1;
        if (count < 0) return;
        types[slot] = type;
        alive[slot] = 1;
        spawnBox[slot] = {sx, sy, sz};
        respawn(slot, type, sx, sy, sz);
    }
}

void ParticleSystem::respawn(int slot, int32_t type, float sx, float sy, float sz) {
    if (slot < 0 || slot >= kSlots) return;
    if (type == kTrailPoint || type < kRisingDust || type > kSpark) return;
    // Draw order: position x, y, z, then velocity, then life.
    positions[slot] = randomInBox(sx, sy, sz);
    switch (type) {
        case kRisingDust:
        case kPlainDust:
            velocities[slot] = {0, static_cast<float>(((crtRand() % 10000) * 0.0002 + 1.0) * 0.1), 0};
            life[slot] = static_cast<float>(crtRand() % 3000 + 7000);
            break;
        case kStillSmoke:
            velocities[slot] = {};
            life[slot] = static_cast<float>(crtRand() % 3000 + 7000);
            break;
        case kRisingSmoke:
            velocities[slot] = {0, static_cast<float>((crtRand() % 10000) * 0.0002 + 1.0), 0};
            life[slot] = static_cast<float>(crtRand() % 3000 + 7000);
            break;
        case kSpark: {
            const double x = (crtRand() % 500 - 250) * 0.4;
            const double z = (crtRand() % 500 - 250) * 0.4;
            const double y = (crtRand() % 500) * 0.8;
            velocities[slot] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
            life[slot] = static_cast<float>((crtRand() % 700 + 200) * 0.001);
            break;
        }
    }
}

void ParticleSystem::update(float dt) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (alive[slot] <= 0) continue;
        Vec3& p = positions[slot];
        const Vec3& v = velocities[slot];
        p = {p.x + v.x * dt, p.y + v.y * dt, p.z + v.z * dt};
        life[slot] -= dt;
        if (life[slot] <= 0) {
            alive[slot] -= 1;
            const Vec3& box = spawnBox[slot];
            respawn(slot, types[slot], box.x, box.y, box.z);
        }
    }
}

void ParticleSystem::draw() const {
    float camera[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, camera);
    ViewVolume view;
    bool quadOwed = false;  // a quad left out since the last one sent
    glPushMatrix();
    for (int slot = 0; slot < kSlots; ++slot) {
        if (alive[slot] <= 0) continue;
        const Vec3& p = positions[slot];
        float s = quadSize;
        switch (types[slot]) {
            case kRisingDust: {
                setGlState({.depthTest = kOn, .blend = kBlendAdd});
                const float b = (std::sin(p.x + p.y + p.z) + 1.0f) * 0.5f;
                glColor3f(0.1f * b, 0.15f * b, 0.15f * b);
                break;
            }
            case kTrailPoint:
                setGlState({.depthTest = kOff, .blend = kBlendMix});
                glColor4f(1, 1, 1, 1);
                s = 0.5f;
                break;
            case kStillSmoke:
            case kRisingSmoke:
                setGlState({.depthTest = kOn, .blend = kBlendMix});
                glColor4f(0, 0, 0, 0.2f);
                s = life[slot] * (1.0f / 7000.0f) * quadSize;
                break;
            case kSpark:
                setGlState({.depthTest = kOff, .blend = kBlendAdd});
                glColor3f(0.6f, 0.3f, 0.2f);
                s = life[slot] * quadSize;
                break;
            default:  // kPlainDust and unknown types: the state as it stands
                break;
        }
        // The state above is set for every particle, drawn or not, so the
        // next one and whatever follows find it as the last one left it.
        float facing[16];
        facingAt(camera, p, facing);
        const Vec3 corners[4] = {{-s, s, 0}, {s, s, 0}, {s, -s, 0}, {-s, -s, 0}};
        quadOwed = view.whollyOutside(facing, corners, 4);
        if (quadOwed) continue;
        glLoadMatrixf(facing);
        quad(s);
    }
    glPopMatrix();
    // What the last quad leaves current, had it been sent.
    if (quadOwed) glTexCoord2f(0, 1);
}

void ParticleSystem::buildTrail(const SplinePath& path, float t) {
    float camera[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, camera);
    float u = t - 8.0f;
    if (!(u > 0)) u = 0;
    while (u < t && trailCount < kSlots) {
        const int slot = trailCount;
        const Vec3 p = path.evaluate(u);
        positions[slot] = p;
        float column[4];
        translatedColumn(camera, p, column);
        alive[slot] = 1;
        types[slot] = kTrailPoint;
        life[slot] = column[2];  // eye-space z: negative in front of the camera
        u += 0.01f;
        trailCount += 1;
    }
}

namespace {

struct TrailPoint {
    float depth;
    Vec3 position;
};

// Scratch for the trail's sort: one trail at a time, on the drawing thread.
TrailPoint trailRun[ParticleSystem::kSlots];
TrailPoint trailMerged[ParticleSystem::kSlots];

// Bottom-up merge sort by depth that keeps equal depths in their order: the
// order insertion sort gives, in n log n steps where the trail, built from
// its near end, would make insertion sort move every point past all the
// others.
void mergeSortByDepth(TrailPoint* points, int n) {
    TrailPoint* from = points;
    TrailPoint* to = trailMerged;
    for (int width = 1; width < n; width *= 2) {
        for (int lo = 0; lo < n; lo += 2 * width) {
            const int mid = std::min(lo + width, n);
            const int hi = std::min(lo + 2 * width, n);
            int a = lo, b = mid, out = lo;
            while (a < mid && b < hi) to[out++] = from[b].depth < from[a].depth ? from[b++] : from[a++];
            while (a < mid) to[out++] = from[a++];
            while (b < hi) to[out++] = from[b++];
        }
        std::swap(from, to);
    }
    if (from != points) std::copy(from, from + n, points);
}

}  // namespace

void ParticleSystem::sortTrail() {
    const int n = trailCount < kSlots ? trailCount : kSlots;
    bool comparable = true;
    for (int i = 0; i < n; ++i)
        if (std::isnan(life[i])) comparable = false;
    if (comparable) {
        for (int i = 0; i < n; ++i) trailRun[i] = {life[i], positions[i]};
        mergeSortByDepth(trailRun, n);
        for (int i = 0; i < n; ++i) {
            life[i] = trailRun[i].depth;
            positions[i] = trailRun[i].position;
        }
        return;
    }
    // A NaN compares with nothing, and the passes then depend on where it
    // sits: the insertion sort as it is, every pass down to 1.
    for (int i = 1; i < n; ++i)
        for (int j = i; j >= 1; --j)
            if (life[j] < life[j - 1]) {
                std::swap(life[j], life[j - 1]);
                swapVec3(positions[j], positions[j - 1]);
            }
}
