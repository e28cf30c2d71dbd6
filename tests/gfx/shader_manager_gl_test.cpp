// Shader programs from files in a scratch working directory: what reaches
// the console, and the uniform setters.
#include <gtest/gtest.h>

#include <unistd.h>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "support/gl/gfx_fixture.h"
#include "support/fixture_shaders.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kVertex = "void main() { gl_Position = ftransform(); }\n";
constexpr const char* kLevel =
    "uniform float level;\n"
    "uniform sampler2D tex;\n"
    "void main() { gl_FragColor = vec4(level) + 0.001 * texture2D(tex, vec2(0.5)); }\n";

// Runs in a scratch directory holding shaders/, then goes back.
class Shaders : public testing::Test {
protected:
    void SetUp() override {
        if (!ensurePassEngine()) GTEST_SKIP() << "no display";
        writeTextFile(dir.path(), "shaders/level.ps", kLevel);
        writeTextFile(dir.path(), "shaders/plain.vs", kVertex);
        writeTextFile(dir.path(), "shaders/broken.ps", "void main() { gl_FragColor = vec4(1.0) }\n");
        writeTextFile(dir.path(), "shaders/nomain.vs", "void helper() {}\n");
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        glGetError();
    }
    void TearDown() override {
        if (!previous.empty()) std::filesystem::current_path(previous);
    }

    // Loads the pair and returns what it printed.
    std::string load(const char* fragment, const char* vertex, GLuint& program) {
        testing::internal::CaptureStdout();
        program = engine->shaders->loadProgram(fragment, vertex);
        return testing::internal::GetCapturedStdout();
    }

    // The red level the program draws over the window.
    static int drawnLevel(GLuint program) {
        clearWindow(0.0f, 0.0f, 0.0f);
        engine->setOrtho2D(1024.0f, 768.0f);
        setGlState({.blend = kBlendOff});
        engine->shaders->use(program);
        engine->shaders->setUniform1f(program, 0.5f, "level");
        glRectf(0.0f, 0.0f, 1024.0f, 768.0f);
        engine->shaders->unuse();
        return readWindow().at(300, 300).r;
    }

    static bool linked(GLuint program) {
        GLint status = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &status);
        return status == GL_TRUE;
    }

    TempDir dir;
    std::filesystem::path previous;
};

TEST_F(Shaders, ACleanPairPrintsOnlyItsCompilingLine) {
    GLuint program = 0;
    EXPECT_EQ(load("shaders\\level.ps", "shaders\\plain.vs", program),
              "Compiling shader shaders\\level.ps shaders\\plain.vs\n");
    EXPECT_TRUE(linked(program));
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

TEST_F(Shaders, ACompileErrorIsPrintedWithItsPathAndTheProgramIsStillMade) {
    GLuint program = 0;
    const std::string out = load("shaders\\broken.ps", "shaders\\plain.vs", program);
    EXPECT_EQ(out.rfind("Compiling shader shaders\\broken.ps shaders\\plain.vs\nCOMPILATION STATUS:\n", 0), 0u)
        << out;
    EXPECT_NE(out.find(" \n ---- \n shaders\\broken.ps\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Program Log: "), std::string::npos) << out;
    EXPECT_NE(program, 0u);
    EXPECT_FALSE(linked(program));
}

TEST_F(Shaders, ALinkErrorPrintsTheProgramLog) {
    GLuint program = 0;
    const std::string out = load("shaders\\level.ps", "shaders\\nomain.vs", program);
    EXPECT_EQ(out.find("COMPILATION STATUS"), std::string::npos) << out;
    EXPECT_NE(out.find("\nProgram Log: "), std::string::npos) << out;
    EXPECT_EQ(out.back(), '\n');
}

TEST_F(Shaders, AMissingFileIsNamedOnStderrOnlyAndRaisesNoGlError) {
    GLuint program = 0;
    testing::internal::CaptureStderr();
    const std::string out = load("shaders\\absent.ps", "shaders\\plain.vs", program);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "afterglow: shaders/absent.ps: not found; its program is linked without it\n");
    EXPECT_EQ(out.rfind("Compiling shader shaders\\absent.ps shaders\\plain.vs\n", 0), 0u) << out;
    EXPECT_EQ(out.find("COMPILATION STATUS"), std::string::npos) << out;
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

TEST_F(Shaders, ABrokenFileIsNamedOnceAndItsProgramDrawsFixedFunctionWithoutGlErrors) {
    writeTextFile(dir.path(), "shaders/empty.vs", "");
    GLuint broken = 0, twice = 0, empty = 0;
    testing::internal::CaptureStderr();
    load("shaders\\broken.ps", "shaders\\plain.vs", broken);
    load("shaders\\broken.ps", "shaders\\plain.vs", twice);  // as two programs sharing a file
    load("shaders\\level.ps", "shaders\\empty.vs", empty);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "afterglow: shaders/broken.ps: does not compile (the log is on standard output); its program is not "
              "used\n"
              "afterglow: shaders/empty.vs: is empty; its program is linked without it\n");
    ShaderManager& shaders = *engine->shaders;
    shaders.use(broken);
    shaders.setUniform1f(broken, 0.5f, "level");
    shaders.setSampler(broken, "tex");
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    clearWindow(0.0f, 0.0f, 0.0f);
    engine->setOrtho2D(1024.0f, 768.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRectf(0.0f, 0.0f, 1024.0f, 768.0f);
    shaders.unuse();
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
    EXPECT_EQ(readWindow().at(300, 300).r, 255) << "drawn with the fixed-function colour";
}

TEST_F(Shaders, UniformSettersActOnTheCurrentProgramByName) {
    GLuint program = 0;
    load("shaders\\level.ps", "shaders\\plain.vs", program);
    ShaderManager& shaders = *engine->shaders;
    shaders.use(program);
    glUniform1i(glGetUniformLocation(program, "tex"), 3);
    shaders.setSampler(program, "tex");
    GLint unit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "tex"), &unit);
    EXPECT_EQ(unit, 0);

    shaders.setUniform1f(program, 0.9f, "undeclared");  // ignored, no error
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});

    EXPECT_NEAR(drawnLevel(program), 128, 1);
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}

// What culls on the CPU trusts only programs that place vertices where the
// fixed transform does: not one whose vertex shader moves them.
TEST_F(Shaders, OnlyAProgramThatKeepsTheFixedTransformIsTrustedToPlaceVertices) {
    writeTextFile(dir.path(), "shaders/moved.vs",
                  "void main() { gl_Position = ftransform(); gl_Position.x += 0.5; }\n");
    GLuint fixed = 0, moved = 0;
    load("shaders\\level.ps", "shaders\\plain.vs", fixed);
    load("shaders\\level.ps", "shaders\\moved.vs", moved);
    const ShaderManager& shaders = *engine->shaders;
    EXPECT_TRUE(shaders.keepsFixedTransform(0));
    EXPECT_TRUE(shaders.keepsFixedTransform(fixed));
    EXPECT_FALSE(shaders.keepsFixedTransform(moved));
    EXPECT_FALSE(shaders.keepsFixedTransform(fixed + moved + 100)) << "a program it does not know";
}

// While watching, an edited pair replaces its program; a pair that does not
// compile, link or exist leaves the previous program, so nothing goes blank.
TEST_F(Shaders, AReloadTakesTheEditedFilesAndAFailingOneKeepsThePreviousProgram) {
    GLuint program = 0;
    load("shaders\\level.ps", "shaders\\plain.vs", program);
    ShaderManager& shaders = *engine->shaders;
    writeTextFile(dir.path(), "shaders/level.ps", "void main() { gl_FragColor = vec4(0.25); }\n");
    testing::internal::CaptureStdout();
    const GLuint edited = shaders.reloadProgram(program, "shaders\\level.ps", "shaders\\plain.vs");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Compiling shader shaders\\level.ps shaders\\plain.vs\n");
    EXPECT_NE(edited, program);
    EXPECT_FALSE(glIsProgram(program)) << "the replaced program is left behind";
    EXPECT_NEAR(drawnLevel(edited), 64, 1);

    writeTextFile(dir.path(), "shaders/level.ps", "void main() { gl_FragColor = vec4(1.0) }\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(shaders.reloadProgram(edited, "shaders\\level.ps", "shaders\\plain.vs"), edited);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("COMPILATION STATUS:"), std::string::npos) << out;
    EXPECT_NE(out.find("the previous version stays"), std::string::npos) << out;
    testing::internal::CaptureStdout();
    EXPECT_EQ(shaders.reloadProgram(edited, "shaders\\absent.ps", "shaders\\plain.vs"), edited);
    testing::internal::GetCapturedStdout();
    EXPECT_NEAR(drawnLevel(edited), 64, 1);
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
