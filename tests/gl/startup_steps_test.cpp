// initialize() telling its observer about each step, as the loading bar and
// the start-up report use it: every step once, in order, with the window's
// framebuffer bound each time, and a bar drawn at every step changes nothing
// of what start-up builds.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <vector>

#include "gfx/engine.h"
#include "gfx/message_box.h"
#include "runtime/frame/loading_bar.h"
#include "runtime/frame/startup.h"
#include "scenes/scenes.h"
#include "support/fixture_shaders.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

TEST(InitializeSteps, EveryStepOnceInOrderWithTheWindowBoundAndABarDrawnAtEach) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    setMessageBoxesEnabled(false);
    TempDir dir;
    writeFixtureShaders(dir.path());
    std::vector<StartupStep> steps;
    std::vector<GLint> framebuffers;
    std::string out;
    {
        const WorkingDir inDir(dir.path());
        glGetError();  // whatever came before is not ours
        testing::internal::CaptureStdout();
        initialize([&](StartupStep step) {
            steps.push_back(step);
            GLint bound = -1;
            if (GLEW_EXT_framebuffer_object) glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
            framebuffers.push_back(bound);
            drawLoadingBar(static_cast<int>(steps.size()), initializeStepCount());
        });
        out = testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
    EXPECT_NE(out.find("\ninitialize()\n"), std::string::npos) << out;

    std::vector<StartupStep> expected = {StartupStep::GlChecks, StartupStep::Shaders};
    expected.insert(expected.end(), 14, StartupStep::Texture);
    expected.push_back(StartupStep::Passes);
    expected.insert(expected.end(), kSceneCount, StartupStep::Scene);
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(static_cast<int>(steps.size()), initializeStepCount());
    for (size_t i = 0; i < framebuffers.size(); ++i) {
        if (framebuffers[i] == -1) continue;  // no framebuffer objects to ask about
        EXPECT_EQ(framebuffers[i], 0) << "step " << i << " left a framebuffer bound";
    }

    // What the bar might have disturbed: the slots, the state start-up ends with.
    EXPECT_EQ(engine->texCloudy, 13);
    EXPECT_EQ(engine->postFx->halfBuffer, 16);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    GLint hint = 0;
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
}

}  // namespace
