#include "gfx/shader_manager.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "assets/data_file.h"
#include "gfx/egl_context.h"
#include "gfx/gl_check.h"
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

// Using or setting uniforms on a program that did not link is a GL error
// on every frame; such a program is left alone and the scene draws with
// fixed-function state instead.
bool usable(unsigned int program) {
    if (!shadersAvailable() || program == 0 || !glIsProgram(program)) return false;
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked == GL_TRUE;
}

// Whether the program's vertex shader, if it has one, writes gl_Position
// once and as ftransform(): the fixed-function place of every vertex. Read
// from its source text; anything else (a second write, a moved vertex, a
// comment naming gl_Position) counts as not.
bool placesByFixedTransform(GLuint program) {
    GLuint shaders[2] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 2, &count, shaders);
    for (GLsizei i = 0; i < count; ++i) {
        GLint type = 0;
        glGetShaderiv(shaders[i], GL_SHADER_TYPE, &type);
        if (type != GL_VERTEX_SHADER) continue;
        GLint length = 0;
        glGetShaderiv(shaders[i], GL_SHADER_SOURCE_LENGTH, &length);
        std::string source(static_cast<size_t>(std::max(length, 1)), '\0');
        GLsizei written = 0;
        glGetShaderSource(shaders[i], static_cast<GLsizei>(source.size()), &written, source.data());
        source.resize(static_cast<size_t>(std::max(written, 0)));
        std::string bare;
        for (const char c : source)
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') bare += c;
        size_t mentions = 0;
        for (size_t at = bare.find("gl_Position"); at != std::string::npos; at = bare.find("gl_Position", at + 1))
            ++mentions;
        if (mentions != 1 || bare.find("gl_Position=ftransform();") == std::string::npos) return false;
    }
    return true;
}

bool compiled(unsigned int shader) {
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status == GL_TRUE;
}

}  // namespace

void ShaderManager::init() {
    if (!initGlew()) {
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
    const unsigned int program = linkProgram(fragmentPath, vertexPath);
    remember(program);
    return program;
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
    forget(current);
    remember(program);
    return program;
}

void ShaderManager::setSampler(unsigned int program, const char* name) {
    if (const auto at = location(program, name)) glUniform1i(*at, 0);
}

void ShaderManager::setUniform1f(unsigned int program, float value, const char* name) {
    if (const auto at = location(program, name)) glUniform1f(*at, value);
}

void ShaderManager::use(unsigned int program) {
    if (!shadersAvailable()) return;
    for (const Program& p : programs_)
        if (p.id == program) {
            glUseProgram(p.linked ? program : 0);
            return;
        }
    glUseProgram(usable(program) ? program : 0);
}

void ShaderManager::remember(unsigned int program) {
    forget(program);
    if (!shadersAvailable() || program == 0 || !glIsProgram(program)) return;
    Program p{.id = program, .linked = usable(program), .fixedTransform = placesByFixedTransform(program), .uniforms = {}};
    if (p.linked) {
        GLint count = 0;
        GLint longest = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
        glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
        std::vector<char> name(static_cast<size_t>(std::max(longest, 1)) + 1, '\0');
        for (GLint i = 0; i < count; ++i) {
            GLsizei length = 0;
            GLint size = 0;
            GLenum type = 0;
            glGetActiveUniform(program, static_cast<GLuint>(i), static_cast<GLsizei>(name.size()), &length, &size, &type,
                               name.data());
            std::string text(name.data(), static_cast<size_t>(std::max(length, 0)));
            // An array answers to its bare name too, as its first element.
            if (text.size() > 3 && text.compare(text.size() - 3, 3, "[0]") == 0) text.resize(text.size() - 3);
            p.uniforms.push_back({text, glGetUniformLocation(program, text.c_str())});
        }
    }
    programs_.push_back(std::move(p));
}

void ShaderManager::forget(unsigned int program) {
    std::erase_if(programs_, [program](const Program& p) { return p.id == program; });
}

bool ShaderManager::keepsFixedTransform(unsigned int program) const {
    if (program == 0) return true;
    for (const Program& p : programs_)
        if (p.id == program) return !p.linked || p.fixedTransform;
    return false;
}

std::optional<int> ShaderManager::location(unsigned int program, const char* name) const {
    for (const Program& p : programs_) {
        if (p.id != program) continue;
        if (!p.linked) return std::nullopt;
        for (const Uniform& u : p.uniforms)
            if (u.name == name) return u.location;
        return -1;
    }
    if (!usable(program)) return std::nullopt;
    return glGetUniformLocation(program, name);
}

void ShaderManager::unuse() {
    if (shadersAvailable()) glUseProgram(0);
}

unsigned int currentProgram() {
    GLint program = 0;
    if (shadersAvailable()) glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return static_cast<unsigned int>(program);
}

std::optional<std::string> readTextFile(const char* path, std::string* problem) {
    ByteBuffer bytes;
    const DataRead read = readDataFile(filePath(path).c_str(), DataKind::Shader, bytes);
    if (problem) *problem = read ? "is empty" : read.problem;
    if (!read || bytes.empty()) return std::nullopt;
    // Files written on Windows keep their "\r\n"; read them as text would be
    // read there, with plain line ends.
    std::string converted;
    try {
        converted.reserve(bytes.size());
    } catch (const std::bad_alloc&) {
        if (problem) *problem = kNoMemoryToRead;
        return std::nullopt;
    }
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) converted += static_cast<char>(bytes[i]);
    if (problem) problem->clear();
    return converted;
}

unsigned int compileShader(const char* path, unsigned int type) {
    GLuint shader = 0;
    std::string problem;
    const std::optional<std::string> source = readTextFile(path, &problem);
    // The console output stays as it is; the line on stderr says which file
    // is at fault, once, however many programs share it.
    if (!source) reportFileProblem(filePath(path), problem, "its program is linked without it");
    if (source && shadersAvailable()) {
        shader = glCreateShader(type);
        const char* text = source->c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        if (!compiled(shader))
            reportFileProblem(filePath(path), "does not compile (the log is on standard output)", "its program is not used");
        checkGlErrorsInDebug(filePath(path).c_str());
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
    // A missing or broken file has been named; a pair that compiles but does
    // not link is named here.
    if (vertex && fragment && compiled(vertex) && compiled(fragment) && !usable(program))
        reportFileProblem(filePath(fragmentPath),
                          "does not link with " + filePath(vertexPath) + " (the log is on standard output)",
                          "the program is not used");
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
