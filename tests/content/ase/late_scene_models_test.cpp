// The models the late scenes read, as the generator writes them: the
// flowers' stems, the city, the ring ship and the piece.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "ase/late_scene_models.h"
#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene6.h"
#include "scenes/scene7.h"
#include "scenes/scene8.h"
#include "scenes/scene9.h"
#include "scenes/scene_entries.h"
#include "support/music_time.h"
#include "support/temp_dir.h"

namespace {

// The files as the program reads them.
class LateModels : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [name, scene] : lateSceneModels()) {
            std::ofstream(dir / name, std::ios::binary) << writeAse(scene);
        }
    }
    std::string file(const char* name) const { return (dir / name).string(); }
    TempDir dir;
};

// The camera circles 40 units out and 40 up, later 60 up and wider: the
// stems climb towards it so the tip it watches stays near, and stay inside
// its first circle.
TEST_F(LateModels, FlowerStemsClimbTowardsTheOrbitingCamera) {
    for (int i = 0; i < 3; ++i) {
        SplinePath stem;
        stem.loadShape(file("kukka.ASE").c_str(), i);
        stem.scale(0.3f);
        ASSERT_GE(stem.segmentCount(), 7) << "stem " << i;
        const float reach = i == 0 ? 6.6f : 4.1f;
        float previous = -1;
        for (float t = 0; t <= reach; t += 0.1f) {
            const Vec3 p = stem.evaluate(t);
            EXPECT_LT(std::hypot(p.x, p.z), 30.0f);
            EXPECT_GT(p.y, previous) << "stem " << i << " climbs all the way, at " << t;
            previous = p.y;
        }
        EXPECT_GT(previous, 45.0f) << "stem " << i;
        EXPECT_LT(previous, 80.0f) << "stem " << i;
    }
}

TEST_F(LateModels, CityHasManyVerticesBeyondTwelveUnits) {
    AseModel city;
    city.load(file("city.ASE").c_str(), nullptr);
    ASSERT_GE(city.meshCount(), 1);
    int far = 0;
    float widest = 0;
    for (const Vec3& v : city.meshes[0]->vertices) {
        if (std::hypot(v.x, v.y, v.z) > 12) ++far;
        widest = std::max(widest, std::fabs(v.x));
    }
    EXPECT_GT(far, 300);
    EXPECT_GT(widest, 10.0f);
    EXPECT_LT(widest, 15.0f);
}

TEST_F(LateModels, RingShipIsASphereInThreeRingsTurningAboutIt) {
    AseModel ship;
    ship.load(file("alus.ASE").c_str(), nullptr);
    const int sphere = ship.findMesh("\"sphere\"");
    ASSERT_GE(sphere, 0);
    const Vec3 centre = ship.meshes[sphere]->nodePos;
    // Vertices are stored about the node's pivot, which the rings turn about.
    auto extent = [&](int m) {
        float r = 0;
        for (const Vec3& v : ship.meshes[m]->vertices) r = std::max(r, std::hypot(v.x, v.y, v.z));
        return r;
    };
    EXPECT_GT(extent(sphere), 8.0f);
    EXPECT_LT(extent(sphere), 14.0f);
    float ringsReach = 0;
    for (const char* ring : {"\"ring_01\"", "\"ring_02\"", "\"ring_03\""}) {
        const int m = ship.findMesh(ring);
        ASSERT_GE(m, 0) << ring;
        ringsReach = std::max(ringsReach, extent(m));
        EXPECT_EQ(ship.meshes[m]->nodePos.x, centre.x) << ring;
        EXPECT_EQ(ship.meshes[m]->nodePos.y, centre.y) << ring;
        EXPECT_EQ(ship.meshes[m]->nodePos.z, centre.z) << ring;
        EXPECT_GT(extent(m), extent(sphere) + 4) << ring;
        EXPECT_LT(extent(m), 40.0f) << ring;
    }
    // Every eye of the scene keeps clear of the sphere, and after the first
    // section's fly-past clear of the tumbling rings too, and within 340
    // units of it; anything else keeps farther off, where it can never come
    // between an eye and the sphere.
    const float events[] = {178200, 182200, 185800, 189300, 192800, 196500, 200300, 204000, 207500};
    for (int k = 0; k < 8; ++k) {
        // The scene's last 200 ms are all but white in the fade-out.
        const float end = k == 7 ? events[8] - 200 : events[k + 1];
        for (float t = events[k]; t < end; t += 50) {
            const Vec3 eye = shipShot(k, (t - events[k]) * 0.0002f, t - events[0]).eye;
            const float d = std::hypot(eye.x - centre.x, eye.y - centre.y, eye.z - centre.z);
            EXPECT_GT(d, (k == 0 ? extent(sphere) : ringsReach) + 1) << "section " << k << " at " << t;
            EXPECT_LT(d, 340.0f) << "section " << k << " at " << t;
        }
    }
    for (int m = 0; m < ship.meshCount(); ++m) {
        const std::string name = ship.meshes[m]->nodeName;
        if (name == "\"sphere\"" || name.rfind("\"ring_", 0) == 0) continue;
        for (const Vec3& v : ship.meshes[m]->vertices) {
            const Vec3 w{v.x + ship.meshes[m]->nodePos.x, v.y + ship.meshes[m]->nodePos.y,
                         v.z + ship.meshes[m]->nodePos.z};
            ASSERT_GT(std::hypot(w.x - centre.x, w.y - centre.y, w.z - centre.z), 380.0f) << name;
        }
    }
}

TEST_F(LateModels, PieceIsTallAndSlender) {
    AseModel piece;
    piece.load(file("piece.ASE").c_str(), nullptr);
    ASSERT_GE(piece.meshCount(), 1);
    float low = 1e9f, high = -1e9f, radius = 0;
    for (const Vec3& v : piece.meshes[0]->vertices) {
        low = std::min(low, v.y);
        high = std::max(high, v.y);
        radius = std::max(radius, std::hypot(v.x, v.z));
    }
    EXPECT_NEAR(low, 0.0f, 0.5f);
    EXPECT_NEAR(high, 200.0f, 1.0f);
    EXPECT_LT(radius, 25.0f);
}

}  // namespace
