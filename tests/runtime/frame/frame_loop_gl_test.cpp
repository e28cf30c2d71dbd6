// The order of a frame: the scene draws the state the frames before it left,
// and only then emits and moves its particles for the next. So the first
// frame of the symbols shows none of the 5000 motes it emits, and a burst of
// sparks first shows in the frame after the one that emits it. Counted in
// primitives sent, with the real data: the particles in view are what
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
#include "support/gl/gfx_fixture.h"
#include "support/gl/scene_harness.h"
#include "support/gl_context.h"

namespace {

constexpr double kFps = kShotFps;

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
    d.beforeUpdate = primitivesDrawn(renderScene);
    updateFrame();
    d.afterUpdate = primitivesDrawn(renderScene);
    startRunAt(ms);
    d.frame = primitivesDrawn(drawWholeFrame);
    return d;
}

// A run's frame n at kFps from 0.
double frameMs(long long n) { return offlineFrameMs(0.0, n, kFps); }

TEST(FrameOrder, AFrameShowsWhatTheFramesBeforeItLeftNotWhatItEmits) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpIn(AFTERGLOW_DATA_DIR);
    // The frame loop's own picture adds the letterbox bars: two quads.
    constexpr GLuint kBars = 4;

    long long first = 0;
    while (sceneIndexAt(static_cast<float>(frameMs(first))) < 1) ++first;
    const Draws opening = drawsAt(frameMs(first));
    EXPECT_GT(opening.afterUpdate, opening.beforeUpdate + 100) << "no motes in view after the first frame's update";
    EXPECT_GE(opening.frame, opening.beforeUpdate);
    EXPECT_LE(opening.frame, opening.beforeUpdate + kBars) << "the first frame of the symbols shows the motes";

    // The bursts of the first active part of the turn: the frames after the
    // motes' emission whose update draws from the spawn sequence (no mote
    // expires this early). The first with sparks in view.
    startRunAt(frameMs(first));
    stepFrame();
    int bursts = 0;
    for (long long n = first + 1;; ++n) {
        ASSERT_EQ(sceneIndexAt(static_cast<float>(frameMs(n))), 1) << "no burst in view in the symbols' first turn";
        const uint32_t before = crtRandState();
        stepFrame();
        if (crtRandState() == before) continue;
        ++bursts;
        const Draws sparks = drawsAt(frameMs(n));
        if (sparks.afterUpdate < sparks.beforeUpdate + 10) {
            // Out of view: the run goes on from the same state.
            startRunAt(frameMs(n + 1));
            continue;
        }
        EXPECT_GE(sparks.frame, sparks.beforeUpdate);
        EXPECT_LE(sparks.frame, sparks.beforeUpdate + kBars)
            << "the burst at " << frameMs(n) << " ms shows in the frame that emits it";
        break;
    }
    EXPECT_GE(bursts, 1);
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
