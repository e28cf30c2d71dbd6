// The first scenes' model and path files, read back through the program's
// own readers at the scales the scenes use: the flight stays over the tile
// field, every eye keeps the flight in range, the symbols file carries its
// model and six shapes, the abc copies are large and clear of the tunnel's
// camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ase/early_scene_models.h"
#include "assets/ase_model.h"
#include "assets/spline_path.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene3.h"
#include "support/temp_dir.h"

namespace {

class EarlySceneFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir();
        std::string error;
        ASSERT_TRUE(writeEarlySceneModels(dir->path(), error)) << error;
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    static SplinePath path(const char* name, int shape, float scale) {
        SplinePath p;
        testing::internal::CaptureStdout();
        p.loadShape((dir->path() / name).c_str(), shape);
        testing::internal::GetCapturedStdout();
        p.scale(scale);
        return p;
    }
    static TempDir* dir;
};
TempDir* EarlySceneFiles::dir = nullptr;

float distance(Vec3 a, Vec3 b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

TEST_F(EarlySceneFiles, FlightWandersOverTheFieldAndEveryEyeKeepsItInRange) {
    const SplinePath flight = path("spline.ase", 0, 0.1f);
    ASSERT_GE(flight.segmentCount(), 15);
    for (float u = 0.0f; u <= 14.0f; u += 0.05f) {
        const Vec3 p = flight.evaluate(u);
        EXPECT_GE(p.x, -30.0f);
        EXPECT_LE(p.x, 28.0f);
        EXPECT_GE(p.z, -30.0f);
        EXPECT_LE(p.z, 28.0f);
        EXPECT_GE(p.y, 3.0f) << "u = " << u;
        EXPECT_LE(p.y, 8.0f) << "u = " << u;
    }

    const SplinePath eyes[3] = {path("cam1.ase", 0, 0.07f), path("cam1_2.ase", 0, 0.14f), path("cam1_3.ase", 0, 0.11f)};
    for (const SplinePath& e : eyes) {
        EXPECT_GE(e.segmentCount(), 2);
        EXPECT_LE(e.segmentCount(), 3);
    }
    // The opening flight's camera from the moment it follows the paths.
    for (float t = 13700.0f; t <= 29000.0f; t += 50.0f) {
        placeClock(t);
        sceneIndex = findSceneIndex();
        const float u = std::clamp((t - 13700.0f) * 0.00066666666f, 0.0f, 14.0f);
        const Vec3 eye = eyes[trackBIndex() % 3].evaluate((t - static_cast<float>(trackBTime())) * 0.000125f);
        const float d = distance(eye, flight.evaluate(u));
        EXPECT_GE(d, 10.0f) << "at " << t << " ms";
        EXPECT_LE(d, 40.0f) << "at " << t << " ms";
        EXPECT_GE(eye.y, 5.0f) << "at " << t << " ms";
        EXPECT_LE(eye.y, 15.0f) << "at " << t << " ms";
    }
    EXPECT_GE(path("cam1target.ase", 0, 0.01f).segmentCount(), 1);
}

// The symbols turn about the z axis through the origin, with the ground in
// the plane y = 0 through that axis: the glyphs ride a wide circle with
// nothing near the axis, and every shot looks at the top of the circle from
// above the ground.
TEST_F(EarlySceneFiles, SymbolShotsFrameTheTopOfTheGlyphCircleFromAboveTheGround) {
    AseModel symbols;
    testing::internal::CaptureStdout();
    symbols.load((dir->path() / "symbols.ASE").c_str(), nullptr);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(symbols.meshCount(), 1);
    EXPECT_GT(symbols.meshes[0]->numFaces, 100u);
    for (const Vec3& v : symbols.meshes[0]->vertices) {
        const float fromAxis = std::hypot(v.x, v.y);
        EXPECT_GT(fromAxis, 140.0f);
        EXPECT_LT(fromAxis, 270.0f);
    }
    for (int k = 0; k < 3; ++k) {
        const SplinePath eye = path("symbols.ASE", 2 * k, 1.0f);
        const SplinePath target = path("symbols.ASE", 2 * k + 1, 1.0f);
        ASSERT_GE(eye.segmentCount(), 3) << "shot " << k;
        for (float p = 0.0f; p <= 3.0f; p += 0.1f) {
            const Vec3 e = eye.evaluate(p);
            const Vec3 c = target.evaluate(p);
            EXPECT_GT(e.y, c.y) << "shot " << k << " at " << p;
            EXPECT_GT(c.y, 120.0f) << "shot " << k << " at " << p;
            const float d = distance(e, c);
            EXPECT_GT(d, 300.0f);
            EXPECT_LT(d, 800.0f);
        }
    }
}

// The tunnel's copies must fill a good part of the picture, yet no camera
// move may fly into one (the near plane is half a unit out).
TEST_F(EarlySceneFiles, AbcCopiesAreLargeAndEveryTunnelShotClearsThem) {
    AseModel abc;
    testing::internal::CaptureStdout();
    abc.load((dir->path() / "abc.ASE").c_str(), nullptr);
    testing::internal::GetCapturedStdout();
    ASSERT_GE(abc.meshCount(), 1);
    // Points over every face, in model space.
    std::vector<Vec3> surface;
    float extent = 0.0f;
    for (const auto& mesh : abc.meshes) {
        for (uint32_t f = 0; f < mesh->numFaces; ++f) {
            if (!mesh->faceIsValid(f)) continue;
            Vec3 c[3];
            for (int k = 0; k < 3; ++k) {
                const Vec3& v = mesh->vertices[static_cast<uint32_t>(mesh->faces[f][k])];
                c[k] = {v.x + mesh->nodePos.x, v.y + mesh->nodePos.y, v.z + mesh->nodePos.z};
                extent = std::max({extent, std::fabs(c[k].x), std::fabs(c[k].y)});
            }
            for (int i = 0; i <= 4; ++i)
                for (int j = 0; i + j <= 4; ++j) {
                    const float a = i / 4.0f, b = j / 4.0f, g = 1 - a - b;
                    surface.push_back({a * c[0].x + b * c[1].x + g * c[2].x, a * c[0].y + b * c[1].y + g * c[2].y,
                                       a * c[0].z + b * c[1].z + g * c[2].z});
                }
        }
    }
    EXPECT_GT(extent, 8.0f);
    EXPECT_LT(extent, 12.0f);

    struct Copy {
        float x, y, z, rollDeg;
    };
    const Copy copies[] = {{-14, 10, 0, 0},    {10, -6, -40, 0},   {5, 12, -110, 0},  {-4, -11, -160, 0},
                           {7, -6, -200, 45},  {-9, 9, -330, -45}, {8, -9, -420, 45}};
    const float events[] = {58300, 65300, 73000, 79500, 83900, 85300};
    float nearest = 1e9f;
    for (int k = 0; k < 5; ++k) {
        for (float t = events[k]; t < events[k + 1]; t += 50.0f) {
            for (float beat : {0.0f, 1.0f}) {
                const Vec3 eye = scene3Shot(k, (t - events[k]) * 0.00013333333f, beat).eye;
                for (const Copy& c : copies) {
                    const float a = c.rollDeg * 3.14159265f / 180.0f;
                    for (const Vec3& p : surface) {
                        const Vec3 w{c.x + p.x * std::cos(a) - p.y * std::sin(a),
                                     c.y + p.x * std::sin(a) + p.y * std::cos(a), c.z + p.z};
                        nearest = std::min(nearest, distance(eye, w));
                    }
                }
            }
        }
    }
    EXPECT_GT(nearest, 1.0f);
}

}  // namespace
