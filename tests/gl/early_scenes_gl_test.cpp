// The first five scenes driven frame by frame in a working directory with
// no models, paths or images: nothing crashes, and no frame leaves a GL
// error, from the opening white to the bars' last flash.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>

#include "gfx/message_box.h"
#include "runtime/music.h"
#include "runtime/startup.h"
#include "runtime/timeline.h"
#include "scenes/scenes.h"
#include "support/fixture_shaders.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

TEST(EarlyScenes, EveryStretchDrawsWithoutAGlErrorEvenWithoutItsFiles) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    setMessageBoxesEnabled(false);
    TempDir dir;
    writeFixtureShaders(dir.path());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    testing::internal::CaptureStdout();
    initialize();
    testing::internal::GetCapturedStdout();
    std::filesystem::current_path(previous);

    std::array<float, kSpectrumSize> bins{};
    bins.fill(0.05f);
    spectrumBins = bins.data();
    while (glGetError() != GL_NO_ERROR) {
    }
    // Times that reach every branch: the white opening, the logo, the veil,
    // the drop, each camera path, the glow blend; every symbols shot and
    // fade; the clouds' white end; each tunnel shot with and without the
    // warp; the bars' growth and flash.
    const float times[] = {0,     1200,  5200,  6700,  9000,  12000, 13800, 18000, 22000, 26000, 28600,
                           29001, 31000, 36500, 40000, 44000, 50600, 51500, 57500, 58299, 58400,
                           62000, 66000, 74000, 80000, 84500, 85200, 85301, 88000, 90800};
    for (float t : times) {
        previousTimeMs = musicTimeMs;
        musicTimeMs = t;
        frameDeltaMs = 16.0f;
        sceneIndex = findSceneIndex();
        ASSERT_LE(sceneIndex, 4);
        sceneTable[sceneIndex].update();
        sceneTable[sceneIndex].render();
        EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR}) << "at " << t << " ms";
    }
}

}  // namespace
