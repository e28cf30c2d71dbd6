// A shot, an offline run from a later time and a seek while watching must
// show what a run from 0 shows at that frame. The particle spawns of every
// scene draw from one shared sequence, so a frame depends on every frame of
// the scenes before its own, not only on its scene's start.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "assets/crt_random.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/timeline/clock.h"
#include "runtime/offline/offline_run.h"
#include "runtime/replay/replay.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"
#include "support/gl/scene_harness.h"

namespace {

constexpr double kFps = kShotFps;

struct Frame {
    uint32_t crt = 0;
    uint64_t picture = 0;
};

// The frame at musicTimeMs drawn from the state as it stands, before its
// own update: the random sequence's position and a hash of the picture band.
Frame drawNow() {
    sceneTable[sceneIndex].render();
    return {crtRandState(), pictureBandHash()};
}

// The offline clock from fromMs, stepped through the frames before ms; then
// the frame at ms begun.
Frame offlineRun(double fromMs, double ms) {
    restoreStartOfShow();
    testing::internal::CaptureStderr();  // no music in the scratch folder: said once a run
    startOfflineClock(fromMs, kFps);
    testing::internal::GetCapturedStderr();
    const long long frames = std::llround((ms - fromMs) * kFps / 1000.0);
    for (long long n = 0; n < frames; ++n) stepFrame();
    beginFrame();
    EXPECT_FLOAT_EQ(musicTimeMs, static_cast<float>(ms));
    return drawNow();
}

TEST(SceneState, ShotsAndSeeksInLaterScenesShowWhatARunFromZeroShows) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpWithFixtureShaders();
    // Sparks bursting in scene 1, after scene 0's dust; then scene 7, after
    // every draw of scenes 0 and 1.
    for (const double ms : {35000.0, 150000.0}) {
        SCOPED_TRACE(ms);
        const Frame whole = offlineRun(0.0, ms);
        const Frame shot = offlineRun(ms, ms);
        EXPECT_EQ(shot.crt, whole.crt) << "the shot's random sequence stands elsewhere";
        EXPECT_EQ(shot.picture, whole.picture);

        rebuildSceneStateAt(ms, kFps);
        const Frame seek = drawNow();
        EXPECT_EQ(seek.crt, whole.crt) << "the seek's random sequence stands elsewhere";
        EXPECT_EQ(seek.picture, whole.picture);
    }
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
