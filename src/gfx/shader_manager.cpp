#include "gfx/shader_manager.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "gfx/gl_extensions.h"

namespace {

constexpr int kShaderLogSize = 1024;

// Without OpenGL 2.0 (or before GLEW is initialised) the shader entry points
// are null: programs then stay 0 and the calls do nothing, rather than
// crashing a start-up that has already said what is missing.
bool shadersAvailable() {
    return glCreateShader && glCreateProgram && glUseProgram && glUniform1f && glUniform1i;
}

// Marks the program's shader objects for deletion: they go with it.
void deleteShadersOf(GLuint program) {
    GLuint shaders[2] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 2, &count, shaders);
    for (GLsizei i = 0; i < count; ++i) glDeleteShader(shaders[i]);
}

std::string filePath(const char* path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

}  // namespace

void ShaderManager::init() {
    if (glewInit() != GLEW_OK) {
        std::printf("Error: Can't Initialize GLEW.\n");
        std::fflush(stdout);
    }
    if (!glewIsSupported("GL_VERSION_2_0") || hiddenByEnvironment("GL_VERSION_2_0")) {
        std::printf("Error: OpenGL 2.0 functionality can't be found.\n");
        std::fflush(stdout);
    }
}

unsigned int ShaderManager::loadProgram(const char* fragmentPath, const char* vertexPath) {
    std::printf("Compiling shader %s %s\n", fragmentPath, vertexPath);
    return linkProgram(fragmentPath, vertexPath);
}

unsigned int ShaderManager::reloadProgram(unsigned int current, const char* fragmentPath, const char* vertexPath) {
    std::printf("Compiling shader %s %s\n", fragmentPath, vertexPath);
    const unsigned int program = linkProgram(fragmentPath, vertexPath);
    if (!shadersAvailable()) return current;
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    // A pair with a missing file links on some drivers (a fragment stage of
    // their own); it is not what the files say, so it counts as a failure.
    GLint attached = 0;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &attached);
    deleteShadersOf(program);
    if (linked != GL_TRUE || attached != 2) {
        glDeleteProgram(program);
        std::printf("%s %s: not used; the previous version stays\n", fragmentPath, vertexPath);
        std::fflush(stdout);
        return current;
    }
    if (current && glIsProgram(current)) {
        deleteShadersOf(current);
        glDeleteProgram(current);
    }
    return program;
}

void ShaderManager::setSampler(unsigned int program, const char* name) {
    if (shadersAvailable()) glUniform1i(glGetUniformLocation(program, name), 0);
}

void ShaderManager::setUniform1f(unsigned int program, float value, const char* name) {
    if (shadersAvailable()) glUniform1f(glGetUniformLocation(program, name), value);
}

void ShaderManager::use(unsigned int program) {
    if (shadersAvailable()) glUseProgram(program);
}

void ShaderManager::unuse() {
    if (shadersAvailable()) glUseProgram(0);
}

std::optional<std::string> readTextFile(const char* path) {
    std::FILE* file = std::fopen(filePath(path).c_str(), "rb");
    if (!file) return std::nullopt;
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
    std::fclose(file);
    if (text.empty()) return std::nullopt;
    // Files written on Windows keep their "\r\n"; read them as text would be
    // read there, with plain line ends.
    std::string converted;
    converted.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) converted += text[i];
    return converted;
}

unsigned int compileShader(const char* path, unsigned int type) {
    GLuint shader = 0;
    const std::optional<std::string> source = readTextFile(path);
    if (source && shadersAvailable()) {
        shader = glCreateShader(type);
        const char* text = source->c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
    }
    printShaderLog(shader, path);
    return shader;
}

void printShaderLog(unsigned int shader, const char* path) {
    // Asking a 0 name for its log would only raise a GL error; a missing file
    // has nothing to say.
    if (!shadersAvailable() || !glIsShader(shader)) return;
    char log[kShaderLogSize] = {};
    GLsizei length = 0;
    glGetShaderInfoLog(shader, kShaderLogSize, &length, log);
    if (length <= 0) return;
    std::printf("COMPILATION STATUS:\n%s \n ---- \n %s\n", log, path);
    std::fflush(stdout);
}

unsigned int linkProgram(const char* fragmentPath, const char* vertexPath) {
    const GLuint vertex = compileShader(vertexPath, GL_VERTEX_SHADER);
    const GLuint fragment = compileShader(fragmentPath, GL_FRAGMENT_SHADER);
    if (!shadersAvailable()) return 0;
    const GLuint program = glCreateProgram();
    // A missing file leaves no shader; the program links with what there is.
    if (vertex) glAttachShader(program, vertex);
    if (fragment) glAttachShader(program, fragment);
    glLinkProgram(program);
    printProgramLog(program);
    return program;
}

void printProgramLog(unsigned int program) {
    GLint size = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &size);
    if (size < 1) return;
    std::vector<char> log(static_cast<size_t>(size) + 1, '\0');
    GLsizei written = 0;
    glGetProgramInfoLog(program, size, &written, log.data());
    if (written <= 0) return;
    std::printf("Program Log: %s\n", log.data());
    std::fflush(stdout);
}
