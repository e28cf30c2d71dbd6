// The ring ship's mask pass drawn with the generated ship: the light shafts
// are smeared out of whatever the mask shows white, so the sphere must be
// there, and not covered, in every section that frames the ship.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "data_folder.h"
#include "gfx/engine.h"
#include "gfx/gl_extensions.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene8.h"
#include "scenes/scene_entries.h"
#include "support/gl/scene_harness.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

// White pixels of the mask pass at music time ms, read from the render
// target.
int maskWhiteAt(float ms) {
    placeClock(ms);
    sceneIndex = findSceneIndex();
    updateScene8();
    engine->setPerspectiveFov(1024, 1024, 88);
    bindTextureFBO(glExtensions.fboColorTexture);
    drawScene8(false);
    std::vector<unsigned char> rgb(1024 * 1024 * 3);
    glReadPixels(0, 0, 1024, 1024, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    unbindFBO();
    int white = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) white += rgb[i] > 200 && rgb[i + 1] > 200 && rgb[i + 2] > 200;
    return white;
}

}  // namespace

TEST(RingShipMask, SphereShowsWhiteInEverySectionThatFramesTheShip) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    startUpWithFixtureShaders();
    TempDir data;
    std::string error;
    ASSERT_TRUE(writeDataGroup(DataGroup::Models, data.path(), error)) << error;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(data.path());
    testing::internal::CaptureStdout();
    initScene8();
    testing::internal::GetCapturedStdout();
    std::filesystem::current_path(previous);

    // Each section once it has the ship in view: the first flies past it
    // from behind and frames it from 2.8 s on; the fifth looks away from it
    // altogether and is left out.
    for (float t : {181200.0f, 184000.0f, 187500.0f, 191500.0f, 199500.0f, 202500.0f, 205500.0f}) {
        // A disc of at least 16 pixels' radius in the 1024 x 1024 target.
        EXPECT_GT(maskWhiteAt(t), 800) << "at " << t << " ms";
    }
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}
