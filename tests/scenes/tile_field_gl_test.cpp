// The tile field in a GL context: a last tile the view leaves out leaves the
// GL as drawing it would have.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <iterator>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/tile_field.h"
#include "support/gl/gfx_fixture.h"
#include "support/gl/scene_harness.h"
#include "support/gl_context.h"

namespace {

// A 3 x 3 field whose last tile stands lower than all four neighbours: its
// top is its only quad, the case where the colour it leaves is the sides'
// though it has none.
TEST(TileField, ALastTileLeftOutLeavesTheStateDrawingItWould) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpWithFixtureShaders();
    float heights[kTileCount];
    std::copy(std::begin(tileHeights), std::end(tileHeights), heights);
    std::fill(std::begin(tileHeights), std::end(tileHeights), 2.0f);
    tileHeights[2 + kTileGrid * 2] = 0.0f;
    ASSERT_EQ(tileFaces(2, 2).count, 1);
    placeClock(1000.0f);
    sceneIndex = 0;

    engine->shaders->use(engine->progEnvmap);
    const GLint vLoc = glGetUniformLocation(engine->progEnvmap, "vLoc");
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.1, 0.1, -0.1, 0.1, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    CurrentVertex left[2];
    float vLocLeft[2] = {-1.0f, -1.0f};
    for (const bool inView : {true, false}) {
        // Looking down the field from above it, or from far behind the camera.
        glLoadIdentity();
        glTranslatef(0.0f, -1.0f, inView ? -10.0f : 50.0f);
        glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
        glNormal3f(0, 0, 1);
        engine->shaders->setUniform1f(engine->progEnvmap, 7.0f, "vLoc");
        EXPECT_EQ(primitivesDrawn([] { drawTileField(3); }) > 0, inView);
        left[inView] = currentVertex();
        if (vLoc >= 0) glGetUniformfv(engine->progEnvmap, vLoc, &vLocLeft[inView]);
    }
    EXPECT_EQ(vertexDifferences(left[true], left[false]), "");
    EXPECT_EQ(vLocLeft[true], vLocLeft[false]);

    engine->shaders->unuse();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    std::copy(std::begin(heights), std::end(heights), tileHeights);
    forgetGlState();
}

}  // namespace
