// The matrices worked on the CPU against the driver's own: the translation
// glTranslatef makes, to the bit (the particles and trail points are placed
// with it, so any difference would move pictures), and the view volume's
// verdict against what the driver draws.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gfx/gl_matrix.h"
#include "support/gl_context.h"

namespace {

float randomIn(float range) { return (static_cast<float>(std::rand()) / RAND_MAX * 2.0f - 1.0f) * range; }

// Cameras as the scenes make them (a look-at, a turn, a scale) and points
// near and far.
TEST(GlMatrix, TheTranslationIsTheDriversOwnToTheBit) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    std::srand(5);
    glMatrixMode(GL_MODELVIEW);
    int mismatches = 0;
    for (int camera = 0; camera < 40; ++camera) {
        glLoadIdentity();
        gluLookAt(randomIn(300), randomIn(300), randomIn(300), randomIn(50), randomIn(50), randomIn(50), randomIn(1), 1,
                  randomIn(1));
        glRotatef(randomIn(180), randomIn(1), 1, randomIn(1));
        if (camera % 3 == 0) glScalef(2, 2, 2);
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int point = 0; point < 50; ++point) {
            const float range = point % 2 ? 2000.0f : 3.0f;
            const Vec3 p = {randomIn(range), randomIn(range), randomIn(range)};
            glPushMatrix();
            glTranslatef(p.x, p.y, p.z);
            float byDriver[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, byDriver);
            glPopMatrix();
            float column[4];
            translatedColumn(m, p, column);
            for (int row = 0; row < 4; ++row)
                if (std::memcmp(&column[row], &byDriver[12 + row], sizeof(float)) != 0) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    glLoadIdentity();
}

// Behind the eye, beyond the far plane, past each side: outside. Reaching
// in by a hair, straddling the eye, or made of NaN: not.
TEST(GlMatrix, TheViewVolumeCallsOutsideOnlyWhatIsWhollyOutsideOnePlane) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ViewVolume view;
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // A square of half-size 0.1 about (x, y, z) in eye space.
    auto square = [&](float x, float y, float z) {
        const Vec3 corners[4] = {{x - 0.1f, y - 0.1f, z}, {x + 0.1f, y - 0.1f, z}, {x + 0.1f, y + 0.1f, z},
                                 {x - 0.1f, y + 0.1f, z}};
        return view.whollyOutside(m, corners, 4);
    };
    // At depth 1 the view reaches tan(30 degrees) = 0.577 either side.
    EXPECT_FALSE(square(0, 0, -1));
    EXPECT_TRUE(square(0, 0, 1)) << "behind the eye";
    EXPECT_TRUE(square(0, 0, -0.05f)) << "nearer than the near plane";
    EXPECT_TRUE(square(0, 0, -1000)) << "beyond the far plane";
    EXPECT_FALSE(square(0, 0, -99.9f)) << "just inside the far plane";
    EXPECT_TRUE(square(0.7f, 0, -1)) << "right";
    EXPECT_TRUE(square(-0.7f, 0, -1)) << "left";
    EXPECT_TRUE(square(0, 0.7f, -1)) << "above";
    EXPECT_FALSE(square(0.67f, 0, -1)) << "reaching in by 0.003";
    const Vec3 straddling[2] = {{0, 0, 1}, {0, 0, -1}};
    EXPECT_FALSE(view.whollyOutside(m, straddling, 2));
    const Vec3 nan[1] = {{NAN, 0, 1}};
    EXPECT_FALSE(view.whollyOutside(m, nan, 1));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace
