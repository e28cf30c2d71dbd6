// initialize() in a GL context of its own: what it builds, the steps it
// reports to its observer, and a second start-up in the same process
// building and playing the same presentation as the first.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/crt_random.h"
#include "assets/vec_math.h"
#include "data_folder.h"
#include "gfx/engine.h"
#include "gfx/message_box.h"
#include "support/gl/scene_harness.h"
#include "runtime/frame/loading_bar.h"
#include "runtime/frame/startup.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"
#include "support/fixture_shaders.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

// What one start-up and one pass through the presentation show.
struct Pass {
    uint32_t crtAfterStartUp = 0;
    uint32_t randomAfterStartUp = 0;
    uint32_t crtAtEnd = 0;
    uint32_t randomAtEnd = 0;
    std::vector<GLuint> primitives;  // per drawn frame: geometry a doubled model or path would double
    std::vector<uint64_t> pictures;  // per drawn frame: a hash of the picture
};

// The state half of every frame at 10 fps from 0 to the end, and the middle
// frame of each scene drawn as well.
Pass startUpAndPlay(const std::filesystem::path& data) {
    Pass pass;
    startUpIn(data);
    pass.crtAfterStartUp = crtRandState();
    pass.randomAfterStartUp = randomState();
    GLuint query = 0;
    glGenQueries(1, &query);
    int nextScene = 0;
    placeClock(0.0f);
    for (int ms = 0; ms <= kPresentationEndMs; ms += 100) {
        const bool draw = nextScene < kSceneCount &&
                          ms >= (sceneStartMs[nextScene] + std::min(sceneStartMs[nextScene + 1], kPresentationEndMs)) / 2;
        if (draw) {
            ++nextScene;
            glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        }
        runFrameAt(static_cast<float>(ms), 100.0f, draw);
        if (!draw) continue;
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint count = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        pass.primitives.push_back(count);
        pass.pictures.push_back(pictureBandHash());
    }
    glDeleteQueries(1, &query);
    pass.crtAtEnd = crtRandState();
    pass.randomAtEnd = randomState();
    return pass;
}

TEST(Initialize, FillsEverySlotInManifestOrderWithoutAGlError) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    setMessageBoxesEnabled(false);
    TempDir dir;
    writeFixtureShaders(dir.path());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    while (glGetError() != GL_NO_ERROR) {
    }
    testing::internal::CaptureStdout();
    initialize();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
    std::filesystem::current_path(previous);

    EXPECT_EQ(out.find("COMPILATION STATUS"), std::string::npos) << out;
    EXPECT_NE(out.find("\ninitialize()\n"), std::string::npos) << out;

    const Engine& e = *engine;
    const int slots[] = {e.texGradient, e.texParticleMask, e.texPallo2, e.texNebula, e.texPallo3,
                         e.texGround,   e.texCloud,        e.texLogo,   e.texParticle, e.texNebula2,
                         e.texRing,     e.texCredits,      e.texPallo,  e.texCloudy};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(slots[i], i);
    EXPECT_EQ(e.textures->fileNames[e.texLogo], "black_1024.jpg");
    EXPECT_EQ(e.textures->fileNames[e.texCloudy], "cloudy.jpg");
    EXPECT_EQ(e.postFx->glowBuffer, 14);
    EXPECT_EQ(e.postFx->zoomBuffer, 15);
    EXPECT_EQ(e.postFx->halfBuffer, 16);

    const GLuint programs[] = {e.progPhong,      e.progEnvmap,     e.progEnvmapTex, e.progSweepTex,
                               e.progPhongDist,  e.progPhongDist2, e.progEqu,       e.progEqu2};
    for (GLuint p : programs) {
        GLint status = 0;
        glGetProgramiv(p, GL_LINK_STATUS, &status);
        EXPECT_EQ(status, GL_TRUE) << "program " << p;
    }

    EXPECT_TRUE(glExtensions.loaded);
    EXPECT_NE(glExtensions.fboColorTexture, 0u);
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    EXPECT_EQ(framebuffer, 0) << "the window is bound after start-up";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint hint = 0;
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
}

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

TEST(SecondStartUp, BuildsAndPlaysTheSamePresentationAsTheFirst) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    if (!GLEW_VERSION_3_0) GTEST_SKIP() << "no primitive count query";
    TempDir data;
    writeFixtureShaders(data.path());
    std::string error;
    ASSERT_TRUE(writeDataGroup(DataGroup::Models, data.path(), error)) << error;

    const Pass first = startUpAndPlay(data.path());
    ASSERT_EQ(first.primitives.size(), static_cast<size_t>(kSceneCount));
    const Pass second = startUpAndPlay(data.path());
    EXPECT_EQ(second.crtAfterStartUp, first.crtAfterStartUp) << "the tile heights differ";
    EXPECT_EQ(second.randomAfterStartUp, first.randomAfterStartUp);
    EXPECT_EQ(second.crtAtEnd, first.crtAtEnd) << "the particles drew differently";
    EXPECT_EQ(second.randomAtEnd, first.randomAtEnd);
    for (int k = 0; k < kSceneCount; ++k) {
        EXPECT_EQ(second.primitives[k], first.primitives[k]) << "scene " << k << " draws other geometry";
        EXPECT_EQ(second.pictures[k], first.pictures[k]) << "scene " << k << " looks different";
    }
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
