// Shader files read as the shader manager reads them: Windows line ends,
// backslash paths, missing and empty files.
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

}  // namespace
