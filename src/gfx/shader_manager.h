// ShaderManager: the façade over GL program objects. The engine owns one.
//
//   engine->shaders->init();                                   // once: GLEW
//   GLuint p = engine->shaders->loadProgram("shaders\\phong.ps", "shaders\\phong.vs");
//   ...
//   engine->shaders->use(p);
//   engine->shaders->setUniform1f(p, 0.5f, "time");             // while p is current
//   engine->shaders->setSampler(p, "tex");                      // texture unit 0
//   draw...
//   engine->shaders->unuse();                                   // fixed function again
//   p = engine->shaders->reloadProgram(p, "shaders\\phong.ps", "shaders\\phong.vs");  // edited files
//
// Paths are written with backslashes and read with forward slashes. Compile
// and link logs are printed on standard output and never stop the program;
// a missing, broken or unlinkable file is also named once on stderr. A
// program that did not link is still returned, but use() makes program 0
// current for it and the setters skip it, so its scenes draw with
// fixed-function state instead of raising GL errors.
#pragma once

#include <optional>
#include <string>
#include <vector>

class ShaderManager {
public:
    // Initialises GLEW and checks for OpenGL 2.0; problems are printed and
    // never stop the program.
    void init();
    // Prints "Compiling shader <fragment> <vertex>", then compiles and links.
    unsigned int loadProgram(const char* fragmentPath, const char* vertexPath);
    // The pair compiled and linked again from the files, with the same
    // console output as loadProgram. Returns the new program, and deletes
    // current; when a file is missing or does not compile or link, says so
    // and returns current, so the picture never goes blank.
    unsigned int reloadProgram(unsigned int current, const char* fragmentPath, const char* vertexPath);
    // The setters find the uniform by name in program and set it on the
    // current program; a name the program lacks is silently ignored, and so
    // is a program that did not link. The programs this manager linked have
    // their uniforms and link status noted once, when linked, so a frame
    // asks the driver nothing; another program is looked up every call. (So
    // a program of this manager's is deleted only by reloadProgram.)
    void setSampler(unsigned int program, const char* name);  // texture unit 0
    void setUniform1f(unsigned int program, float value, const char* name);
    void use(unsigned int program);
    // Makes program 0 current.
    void unuse();
    // Whether program places its vertices where the fixed-function transform
    // does: program 0, or one of this manager's whose vertex shader writes
    // gl_Position only as ftransform() (or that has none). What culls
    // primitives on the CPU (gfx/gl_matrix.h) trusts only those.
    bool keepsFixedTransform(unsigned int program) const;

private:
    struct Uniform {
        std::string name;
        int location = -1;
    };
    struct Program {
        unsigned int id = 0;
        bool linked = false;
        bool fixedTransform = false;
        std::vector<Uniform> uniforms;
    };
    std::vector<Program> programs_;

    void remember(unsigned int program);
    void forget(unsigned int program);
    // The uniform's location in program, -1 when it has none; nullopt when
    // the program cannot be used.
    std::optional<int> location(unsigned int program, const char* name) const;
};

// The program current in GL: 0 for fixed function, and where the driver has
// no programs.
unsigned int currentProgram();

// The whole file as text, with Windows line ends read as plain ones; nothing
// for a missing, empty or refused file (problem, when given, says which).
// Backslashes in path are folder separators.
std::optional<std::string> readTextFile(const char* path, std::string* problem = nullptr);
// Shader object of the given type compiled from the file, its log printed;
// 0 when the file is missing.
unsigned int compileShader(const char* path, unsigned int type);
void printShaderLog(unsigned int shader, const char* path);
// Compiles the vertex file, then the fragment file, attaches them in that
// order and links; prints the link log.
unsigned int linkProgram(const char* fragmentPath, const char* vertexPath);
void printProgramLog(unsigned int program);
