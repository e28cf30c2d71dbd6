// Every scene through the scene table, frame by frame, in a working
// directory with no models, paths or images: nothing crashes, and no frame
// leaves a GL error or a switch changed behind the state funnel, from the
// opening white to the credits' last black frame. And a loop back to the
// start replays the scenes as the first pass did: particle spawns draw from
// the shared crtRand sequence, so a scene whose state was not put back draws
// a different number of times and leaves the sequence elsewhere.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <array>

#include "assets/crt_random.h"
#include "assets/vec_math.h"
#include "gfx/gl_state.h"
#include "gfx/message_box.h"
#include "support/gl/scene_harness.h"
#include "runtime/frame/startup.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"
#include "support/fixture_shaders.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

// The state half of every frame from 0 to the end at 10 fps.
void updateWholePresentation() {
    placeClock(0.0f);
    for (int ms = 0; ms <= kPresentationEndMs; ms += 100) runFrameAt(static_cast<float>(ms), 100.0f, false);
}

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

TEST(SceneReset, SecondPassDrawsTheSameRandomsAsTheFirst) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpWithFixtureShaders();

    const uint32_t crtAtStart = crtRandState();
    const uint32_t randomAtStart = randomState();
    updateWholePresentation();
    const uint32_t crtAfterFirst = crtRandState();
    const uint32_t randomAfterFirst = randomState();
    ASSERT_NE(crtAfterFirst, crtAtStart) << "the particles drew nothing";

    for (const SceneEntry& scene : sceneTable) scene.reset();
    setCrtRandState(crtAtStart);
    seedRandom(randomAtStart);
    updateWholePresentation();
    EXPECT_EQ(crtRandState(), crtAfterFirst);
    EXPECT_EQ(randomState(), randomAfterFirst);
}

}  // namespace
