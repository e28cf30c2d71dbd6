// The order of a frame: the scene draws the state the frames before it left,
// and only then emits and moves its particles for the next. So the first
// frame of the symbols shows none of the 5000 motes it emits, and a burst of
// sparks first shows in the frame after the one that emits it. Counted in
// primitives: with no models in the scratch folder, the particles are what
// changes between two draws of the same frame.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "assets/crt_random.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/replay/replay.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"
#include "support/gl/scene_harness.h"
#include "support/gl_context.h"

namespace {

constexpr double kFps = kShotFps;

GLuint primitivesOf(void (*draw)()) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint count = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

void startRunAt(double ms) {
    restoreStartOfShow();
    testing::internal::CaptureStderr();  // no music in the scratch folder: said once a run
    startOfflineClock(ms, kFps);
    testing::internal::GetCapturedStderr();
}

void renderScene() { sceneTable[sceneIndex].render(); }
void drawWholeFrame() { drawFrame(); }

// The frame at ms of a run from 0: the scene drawn from the state the frames
// before it left, the same after the frame's own update, and the frame as
// the frame loop draws it.
struct Draws {
    GLuint beforeUpdate = 0;
    GLuint afterUpdate = 0;
    GLuint frame = 0;
};

Draws drawsAt(double ms) {
    Draws d;
    startRunAt(ms);
    beginFrame();
    EXPECT_EQ(musicTimeMs, static_cast<float>(ms));
    d.beforeUpdate = primitivesOf(renderScene);
    updateFrame();
    d.afterUpdate = primitivesOf(renderScene);
    startRunAt(ms);
    d.frame = primitivesOf(drawWholeFrame);
    return d;
}

// A run's frame n at kFps from 0.
double frameMs(long long n) { return offlineFrameMs(0.0, n, kFps); }

TEST(FrameOrder, AFrameShowsWhatTheFramesBeforeItLeftNotWhatItEmits) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpWithFixtureShaders();

    long long first = 0;
    while (sceneIndexAt(static_cast<float>(frameMs(first))) < 1) ++first;
    const Draws opening = drawsAt(frameMs(first));
    EXPECT_GE(opening.afterUpdate, opening.beforeUpdate + 5000) << "the motes are not emitted in the first frame";
    // The frame loop's own picture adds the letterbox bars: two quads.
    EXPECT_GE(opening.frame, opening.beforeUpdate);
    EXPECT_LT(opening.frame, opening.beforeUpdate + 10) << "the first frame of the symbols shows the motes";

    // The first burst: the first frame after the motes' emission whose
    // update draws from the spawn sequence (no mote expires this early).
    startRunAt(frameMs(first));
    stepFrame();
    long long burst = first + 1;
    for (;; ++burst) {
        ASSERT_EQ(sceneIndexAt(static_cast<float>(frameMs(burst))), 1) << "no burst in the symbols' first turn";
        const uint32_t before = crtRandState();
        stepFrame();
        if (crtRandState() != before) break;
    }
    const Draws sparks = drawsAt(frameMs(burst));
    EXPECT_GE(sparks.afterUpdate, sparks.beforeUpdate + 70) << "no burst at " << frameMs(burst) << " ms";
    EXPECT_GE(sparks.frame, sparks.beforeUpdate);
    EXPECT_LT(sparks.frame, sparks.beforeUpdate + 10) << "the burst shows in the frame that emits it";
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
