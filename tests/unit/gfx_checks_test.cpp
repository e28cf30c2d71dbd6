// The pieces of the graphics start-up that need no GL context: shader file
// reading, the extension-hiding seam, the render-target status verdict, and
// the reading of EGL's and GLX's extension lists.
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

TEST(ShaderFile, ReadsWindowsLineEndsAsPlainOnesThroughABackslashPath) {
    TempDir dir;
    writeTextFile(dir.path(), "shaders/a.ps", "void main()\r\n{\r\n}\r\n\rx");
    const std::string path = (dir.path() / "shaders").string() + "\\a.ps";
    const std::optional<std::string> text = readTextFile(path.c_str());
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "void main()\n{\n}\n\rx");  // a lone CR is not a line end
    EXPECT_EQ(std::strlen(text->c_str()), text->size()) << "terminated right after the text";
}

TEST(ShaderFile, MissingAndEmptyFilesGiveNothing) {
    TempDir dir;
    writeTextFile(dir.path(), "empty.vs", "");
    EXPECT_FALSE(readTextFile((dir / "empty.vs").c_str()).has_value());
    EXPECT_FALSE(readTextFile((dir / "absent.vs").c_str()).has_value());
}

class HiddenExtensions : public testing::Test {
protected:
    void hide(const char* names) { setenv(kHideExtensionsVariable, names, 1); }
    void TearDown() override { unsetenv(kHideExtensionsVariable); }
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
