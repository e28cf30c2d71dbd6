#include "gfx/gl_check.h"

#include <GL/gl.h>

#include <cstdio>

#include "runtime/environment/environment.h"

namespace {

bool reported = false;

const char* errorName(GLenum error) {
    switch (error) {
        case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
        case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
        case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
        case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
        default: return "unknown GL error";
    }
}

// A lost context keeps returning its error; stop after a sane number.
constexpr int kMaxFlags = 16;

}  // namespace

bool glChecksEnabled() {
#ifdef NDEBUG
    static const bool enabled = environmentSwitch(EnvVar::GlChecks);
    return enabled;
#else
    return true;
#endif
}

bool reportGlErrors(const char* step) {
    const GLenum first = glGetError();
    if (first == GL_NO_ERROR) return false;
    for (int i = 0; i < kMaxFlags && glGetError() != GL_NO_ERROR; ++i) {
    }
    if (!reported) {
        reported = true;
        std::fprintf(stderr, "afterglow: GL error 0x%04X (%s) in %s\n", first, errorName(first), step);
        std::fflush(stderr);
    }
    return true;
}
