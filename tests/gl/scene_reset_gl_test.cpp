// A loop back to the start must replay the scenes as the first pass did.
// Particle spawns draw from the shared crtRand sequence, so a scene whose
// state was not put back (dust not emitted again, a pool still full) draws
// a different number of times and leaves the sequence elsewhere.
#include <gtest/gtest.h>

#include <array>

#include "assets/crt_random.h"
#include "assets/vec_math.h"
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

// The state half of every frame from 0 to the end at 10 fps.
void updateWholePresentation() {
    placeClock(0.0f);
    for (int ms = 0; ms <= kPresentationEndMs; ms += 100) runFrameAt(static_cast<float>(ms), 100.0f, false);
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
