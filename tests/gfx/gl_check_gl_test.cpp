#include <gtest/gtest.h>

#include <GL/glew.h>

#include "gfx/gl_check.h"
#include "support/gl_context.h"

namespace {

TEST(GlErrors, OnlyTheFirstIsReportedWithItsStep) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_FALSE(reportGlErrors("a clean step"));
    testing::internal::CaptureStderr();
    glEnable(0x1234);  // not a capability
    EXPECT_TRUE(reportGlErrors("the first bad step"));
    glBindTexture(0x1234, 0);
    EXPECT_TRUE(reportGlErrors("a later bad step"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "afterglow: GL error 0x0500 (GL_INVALID_ENUM) in the first bad step\n");
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR}) << "the flags are cleared";
}

}  // namespace
