// The GL checks without a context: extension lists, hidden extensions for
// testing, and how render-target failures are reported.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <cstdlib>
#include <cstring>

#include "gfx/egl_context.h"
#include "gfx/gl_extensions.h"
#include "gfx/message_box.h"
#include "gfx/shader_manager.h"
#include "support/fixture_shaders.h"
#include "support/temp_dir.h"

namespace {

class HiddenExtensions : public testing::Test {
protected:
    void hide(const char* names) { setenv("AFTERGLOW_HIDE_GL_EXTENSIONS", names, 1); }
    void TearDown() override { unsetenv("AFTERGLOW_HIDE_GL_EXTENSIONS"); }
};

TEST_F(HiddenExtensions, EveryNameContainingAHiddenOneIsLeftOut) {
    const char* all = "GL_EXT_framebuffer_object GL_ARB_framebuffer_object GL_ARB_fragment_program_shadow "
                      "GL_ARB_fragment_program GL_ARB_vertex_shader";
    EXPECT_EQ(visibleExtensionString(all), all) << "nothing hidden: the string as it is";
    hide("EXT_framebuffer_object,,GL_ARB_fragment_program");
    EXPECT_EQ(visibleExtensionString(all), "GL_ARB_framebuffer_object GL_ARB_vertex_shader ");
    EXPECT_TRUE(hiddenByEnvironment("glFramebufferTexture2DEXT_framebuffer_object"));
    EXPECT_FALSE(hiddenByEnvironment("glGenerateMipmapEXT"));
    hide("glGenerateMipmapEXT");
    EXPECT_TRUE(hiddenByEnvironment("glGenerateMipmapEXT"));
    EXPECT_FALSE(hiddenByEnvironment("GL_VERSION_2_0"));
}

TEST(RenderTargetStatus, UnsupportedIsReportedOtherFailuresEndSilently) {
    setMessageBoxesEnabled(false);
    stopUnlessFramebufferComplete(GL_FRAMEBUFFER_COMPLETE_EXT);  // returns
    EXPECT_EXIT(stopUnlessFramebufferComplete(GL_FRAMEBUFFER_UNSUPPORTED_EXT), testing::ExitedWithCode(0),
                "ERROR: GL_FRAMEBUFFER_UNSUPPORTED_EXT!");
    EXPECT_EXIT(stopUnlessFramebufferComplete(GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT),
                testing::ExitedWithCode(0), "");
}

// Mesa's software device must be told from a GPU by its whole name: a
// longer name that starts the same, or a name inside another, is not it.
TEST(ExtensionList, OnlyWholeNamesCount) {
    const char* software = "EGL_EXT_device_drm_render_node EGL_MESA_device_software";
    EXPECT_TRUE(extensionListed(software, "EGL_MESA_device_software"));
    EXPECT_TRUE(extensionListed(software, "EGL_EXT_device_drm_render_node"));
    EXPECT_FALSE(extensionListed(software, "EGL_EXT_device_drm"));
    EXPECT_FALSE(extensionListed("EGL_MESA_device_software_x", "EGL_MESA_device_software"));
    EXPECT_FALSE(extensionListed("X_EGL_MESA_device_software", "EGL_MESA_device_software"));
    EXPECT_FALSE(extensionListed("", "EGL_MESA_device_software"));
    EXPECT_FALSE(extensionListed(nullptr, "EGL_MESA_device_software"));
    EXPECT_EQ(currentGlPlatform(), GlPlatform::GlxWindow) << "nothing made through EGL here";
}

}  // namespace
