// The render target and the projection helpers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "support/gl/gfx_fixture.h"
#include "runtime/frame/frame_loop.h"

namespace {

#define REQUIRE_ENGINE() \
    if (!ensurePassEngine()) GTEST_SKIP() << "no display"

std::array<GLint, 4> viewport() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

TEST(RenderTarget, DrawsLandInTheTextureUntilUnbound) {
    REQUIRE_ENGINE();
    clearWindow(0.0f, 0.0f, 1.0f);
    bindTextureFBO(glExtensions.fboColorTexture);
    EXPECT_EQ(glExtensions.checkFramebufferStatus(GL_FRAMEBUFFER_EXT), GLenum{GL_FRAMEBUFFER_COMPLETE_EXT});
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 1024, 1024}));
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The viewport goes back to the display size, whatever the window's.
    windowWidth = 900;
    unbindFBO();
    windowWidth = 1024;
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 1024, 768}));

    std::vector<uint8_t> target(1024 * 1024 * 3);
    glBindTexture(GL_TEXTURE_2D, glExtensions.fboColorTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, target.data());
    EXPECT_EQ(target[0], 255);
    EXPECT_EQ(target[target.size() - 1], 0);
    EXPECT_EQ(readWindow().at(500, 300).b, 255) << "the window was not drawn";
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP);
}

TEST(Projection, Ortho2DPutsTheOriginTopLeft) {
    REQUIRE_ENGINE();
    clearWindow(0.0f, 0.0f, 0.0f);
    setGlState({.depthTest = kOn});
    engine->setOrtho2D(1024.0f, 768.0f);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    setGlState({.blend = kBlendOff, .texture2D = kOff});
    glColor3f(1.0f, 1.0f, 1.0f);
    glRectf(0.0f, 0.0f, 4.0f, 4.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glRectf(1020.0f, 764.0f, 1024.0f, 768.0f);
    const WindowImage window = readWindow();
    EXPECT_EQ(window.at(0, 0).r, 255);
    EXPECT_EQ(window.at(0, 767).r, 0);
    EXPECT_EQ(window.at(1023, 767).g, 255);
}

TEST(Projection, PerspectiveKeepsTheFourToThreeAspect) {
    REQUIRE_ENGINE();
    setGlState({.depthTest = kOn});
    engine->setPerspective(1024.0f, 768.0f);
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(m[5], f, 1e-6);
    EXPECT_NEAR(m[0], f / (4.0 / 3.0), 1e-6);
    EXPECT_NEAR(m[14], 2.0 * 3000.0 * 0.5 / (0.5 - 3000.0), 1e-6) << "near 0.5, far 3000";
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 1024, 768}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "no other state is touched";

    engine->setPerspectiveFov(1024.0f, 1024.0f, 90.0f);
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5], 1.0, 1e-6);
    EXPECT_NEAR(m[0], 0.75, 1e-6);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 1024, 1024}));
    setGlState({.depthTest = kOff});
}

}  // namespace
