#include "gfx/shader_manager.h"

#include <GL/glew.h>

#include <cstdio>

void ShaderManager::init() {
    const GLenum err = glewInit();
    if (err != GLEW_OK) std::printf("Error: %s\n", reinterpret_cast<const char*>(glewGetErrorString(err)));
}

void ShaderManager::unuse() {
    // Without GLEW's entry point (GL older than 2.0) there is no program to leave.
    if (glUseProgramObjectARB) glUseProgramObjectARB(0);
}
