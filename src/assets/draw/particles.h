// Particle pools and path trails, drawn as camera-facing quads.
//
//   ParticleSystem dust;
//   dust.emit(ParticleSystem::kRisingDust, 10000, 2000, 400, 2000);   // fills the pool
//   dust.update(frameDeltaMs * 0.001f);       // every frame
//   dust.draw();                              // texture bound by the scene
//
//   trail.resetTrail();                       // every frame, under the camera
//   trail.buildTrail(path, t);                // the last 8 parameter units
//   trail.sortTrail();                        // back to front
//   trail.draw();
//
// Spawn draws come from the shared crtRand sequence, so the order of calls
// matters.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/vec_math.h"

class SplinePath;

class ParticleSystem {
public:
    static constexpr int kSlots = 5000;
    static constexpr int kTrailSteps = 800;  // 8 parameter units in 0.01 steps

    // How a particle is placed anew and drawn. types holds these as plain
    // ints; any other value is inert (never placed, drawn in the state as
    // it stands).
    enum Type : int32_t {
        kRisingDust = 0,   // additive, shimmering
        kTrailPoint = 1,   // a point of a path trail, placed by buildTrail
        kPlainDust = 2,    // rises like kRisingDust, drawn in the state the previous particle left
        kStillSmoke = 3,   // dark, shrinking with its life
        kRisingSmoke = 4,  // the same, rising
        kSpark = 5,        // additive, short-lived, shrinking
    };

    ParticleSystem();

    // Revives up to count dead slots, in slot order, with the given type and
    // spawn half-extents.
    void emit(int32_t type, int32_t count, float sx, float sy, float sz);
    // Places one slot anew according to its type.
    void respawn(int slot, int32_t type, float sx, float sy, float sz);
    // Euler step of every live particle; expired ones lose one life and are
    // placed anew.
    void update(float dt);
    // Every live particle as one quad facing the camera. Sets the blend,
    // depth-test and colour state per type and leaves what the last particle
    // set; the matrix is restored. A quad wholly outside the view volume is
    // not sent (its state still is): it would write nothing.
    void draw() const;

    void resetTrail() { trailCount = 0; }
    // Appends points of path from parameter max(t - 8, 0) up to t, in 0.01
    // steps, while slots remain; each keeps its eye-space depth in life.
    // Needs the camera transform current.
    void buildTrail(const SplinePath& path, float t);
    // Orders the trail slots by depth, farthest first.
    void sortTrail();

    float quadSize = 0.1f;
    std::vector<Vec3> positions;
    std::vector<Vec3> velocities;
    std::vector<float> life;
    std::vector<int32_t> types;
    std::vector<int32_t> alive;
    std::vector<Vec3> spawnBox;
    int32_t trailCount = 0;
};
