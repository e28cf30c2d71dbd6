// The first five scenes driven frame by frame in a working directory with
// no models, paths or images: nothing crashes, and no frame leaves a GL
// error or a switch changed behind the state funnel, from the opening
// white to the bars' last flash.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>

#include "gfx/gl_state.h"
#include "gfx/message_box.h"
#include "runtime/timeline/clock.h"
#include "runtime/frame/startup.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"
#include "support/fixture_shaders.h"
#include "support/gl_context.h"
#include "gl/scene_harness.h"
#include "support/temp_dir.h"

namespace {

TEST(EarlyScenes, EveryStretchDrawsWithoutAGlErrorEvenWithoutItsFiles) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpWithFixtureShaders();
    // Times that reach every branch: the white opening, the logo, the veil,
    // the drop, each camera path, the glow blend; every symbols shot and
    // fade; the clouds' white end; each tunnel shot with and without the
    // warp; the bars' growth and flash.
    const float times[] = {0,     1200,  5200,  6700,  9000,  12000, 13800, 18000, 22000, 26000, 28600,
                           29001, 31000, 36500, 40000, 44000, 50600, 51500, 57500, 58299, 58400,
                           62000, 66000, 74000, 80000, 84500, 85200, 85301, 88000, 90800};
    for (float t : times) {
        runFrameAt(t, 16.0f, true);
        ASSERT_LE(sceneIndex, 4);
        EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR}) << "at " << t << " ms";
        // Every switch went through the funnel, so its copy is still true.
        EXPECT_EQ(glStateMismatches(), "") << "at " << t << " ms";
    }
}

}  // namespace
