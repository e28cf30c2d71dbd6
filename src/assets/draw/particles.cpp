#include "assets/draw/particles.h"

#include <GL/gl.h>

#include <cmath>
#include <utility>

#include "assets/crt_random.h"
#include "assets/spline_path.h"
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

// Leaves the translation of the current modelview matrix and drops its
// rotation and scale, so what follows is drawn in eye units facing the eye.
void faceCamera() {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row) m[column * 4 + row] = column == row ? 1.0f : 0.0f;
    glLoadMatrixf(m);
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
    for (int slot = 0; slot < kSlots; ++slot) {
        if (alive[slot] <= 0) continue;
        const Vec3& p = positions[slot];
        glPushMatrix();
        glTranslatef(p.x, p.y, p.z);
        faceCamera();
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
        quad(s);
        glPopMatrix();
    }
}

void ParticleSystem::buildTrail(const SplinePath& path, float t) {
    float u = t - 8.0f;
    if (!(u > 0)) u = 0;
    while (u < t && trailCount < kSlots) {
        const int slot = trailCount;
        const Vec3 p = path.evaluate(u);
        positions[slot] = p;
        glPushMatrix();
        glTranslatef(p.x, p.y, p.z);
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        glPopMatrix();
        alive[slot] = 1;
        types[slot] = kTrailPoint;
        life[slot] = m[14];  // eye-space z: negative in front of the camera
        u += 0.01f;
        trailCount += 1;
    }
}

void ParticleSystem::sortTrail() {
    const int n = trailCount < kSlots ? trailCount : kSlots;
    for (int i = 1; i < n; ++i)
        for (int j = i; j >= 1; --j)
            if (life[j] < life[j - 1]) {
                std::swap(life[j], life[j - 1]);
                swapVec3(positions[j], positions[j - 1]);
            }
}
