// initialize() in a working directory with fixture shaders and no images:
// every slot filled in manifest order and no GL error on the way.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include "gfx/engine.h"
#include "gfx/message_box.h"
#include "runtime/frame/startup.h"
#include "support/fixture_shaders.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

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

}  // namespace
