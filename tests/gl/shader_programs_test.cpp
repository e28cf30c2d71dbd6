// Every shader pair of the data folder compiles and links on this GL with an
// empty log, and declares exactly the uniforms the scenes set on it.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "shaders/shader_files.h"
#include "support/gl_context.h"

namespace {

std::string readSource(const std::string& name) {
    std::ifstream in(shaderSourceDir() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string shaderLog(GLuint shader) {
    char log[4096] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    return log;
}

GLuint compile(const std::string& name, GLenum type) {
    const std::string source = readSource(name);
    EXPECT_FALSE(source.empty()) << name;
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_TRUE(ok) << name << ":\n" << shaderLog(shader);
    EXPECT_EQ(shaderLog(shader), "") << name;
    return shader;
}

}  // namespace

TEST(ShaderPrograms, EveryPairLinksCleanlyWithExactlyItsUniforms) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    for (const ShaderPair& pair : shaderPairs()) {
        SCOPED_TRACE(pair.fragment);
        const GLuint vertex = compile(pair.vertex, GL_VERTEX_SHADER);
        const GLuint fragment = compile(pair.fragment, GL_FRAGMENT_SHADER);
        const GLuint program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        char log[4096] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        EXPECT_TRUE(ok) << log;
        EXPECT_STREQ(log, "");

        // Every uniform is in use (so a set reaches it) and has its type;
        // built-in state such as gl_LightSource does not count.
        GLint count = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
        std::set<std::string> active;
        for (GLint i = 0; i < count; ++i) {
            char name[256];
            GLint size = 0;
            GLenum type = 0;
            glGetActiveUniform(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
            if (std::string(name).rfind("gl_", 0) == 0) continue;
            active.insert(name);
            EXPECT_EQ(type, std::string(name) == "tex" ? static_cast<GLenum>(GL_SAMPLER_2D) : static_cast<GLenum>(GL_FLOAT))
                << name;
        }
        EXPECT_EQ(active, std::set<std::string>(pair.uniforms.begin(), pair.uniforms.end()));
        glDeleteProgram(program);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderPrograms, SourcesUseOnlyOldGlslAndFixedFunctionInputs) {
    for (const std::string& name : shaderFileNames()) {
        const std::string source = readSource(name);
        SCOPED_TRACE(name);
        EXPECT_NE(source.find("#version 110"), std::string::npos);
        // No generic vertex attributes are ever set by the program.
        EXPECT_EQ(source.find("attribute"), std::string::npos);
        EXPECT_EQ(source.find('\r'), std::string::npos);
    }
}
