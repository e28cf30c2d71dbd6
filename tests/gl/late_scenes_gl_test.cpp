// Scenes 5 to 10 driven frame by frame in a working directory with no
// models or images: nothing crashes, and no frame leaves a GL error or a
// switch changed behind the state funnel, from the ribbons' white opening
// to the credits' last black frame.
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

TEST(LateScenes, EveryStretchDrawsWithoutAGlErrorEvenWithoutItsFiles) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpWithFixtureShaders();
    // Every ribbon section and both fades; the rings, the side flowers and
    // the burst; each city shot, the drop and the swell; each ship section,
    // the wobble and both fades; each piece shot, the tilt and the flash;
    // the credits' wobble and both fades.
    const float times[] = {90901,  91500,  98200,  105000, 112500, 119700, 120000, 121000, 130000, 143000,
                           148500, 149000, 150000, 153600, 157100, 161500, 163100, 171500, 177900, 178200,
                           182300, 186000, 189500, 193000, 196600, 200400, 204100, 207000, 207500, 211400,
                           215000, 218500, 222100, 225700, 229300, 236500, 236700, 238000, 242500, 243200};
    for (float t : times) {
        runFrameAt(t, 16.0f, true);
        ASSERT_GE(sceneIndex, 5);
        EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR}) << "at " << t << " ms";
        // Every switch went through the funnel, so its copy is still true.
        EXPECT_EQ(glStateMismatches(), "") << "at " << t << " ms";
    }
}

}  // namespace
