// Framebuffer objects under the EXT names the program fetches by name, on
// WebGL 2's own, and the lookup of those names.
#include <cstring>

#include "compat_state.h"
#include "gl_compat.h"

using namespace glcompat;

extern "C" {

GLboolean glIsRenderbufferEXT(GLuint renderbuffer) { return emscripten_glIsRenderbuffer(renderbuffer); }
void glBindRenderbufferEXT(GLenum target, GLuint renderbuffer) { emscripten_glBindRenderbuffer(target, renderbuffer); }
void glDeleteRenderbuffersEXT(GLsizei n, const GLuint* renderbuffers) {
    flush();
    emscripten_glDeleteRenderbuffers(n, renderbuffers);
}
void glGenRenderbuffersEXT(GLsizei n, GLuint* renderbuffers) { emscripten_glGenRenderbuffers(n, renderbuffers); }
void glRenderbufferStorageEXT(GLenum target, GLenum format, GLsizei width, GLsizei height) {
    flush();
    emscripten_glRenderbufferStorage(target, format, width, height);
}
void glGetRenderbufferParameterivEXT(GLenum target, GLenum pname, GLint* params) {
    emscripten_glGetRenderbufferParameteriv(target, pname, params);
}
GLboolean glIsFramebufferEXT(GLuint framebuffer) { return emscripten_glIsFramebuffer(framebuffer); }

void glBindFramebufferEXT(GLenum target, GLuint framebuffer) {
    State& s = state();
    if (s.framebuffer != framebuffer) flush();
    s.framebuffer = framebuffer;
    emscripten_glBindFramebuffer(target, framebuffer);
}

void glDeleteFramebuffersEXT(GLsizei n, const GLuint* framebuffers) {
    flush();
    for (GLsizei i = 0; i < n; ++i)
        if (state().framebuffer == framebuffers[i]) state().framebuffer = 0;
    emscripten_glDeleteFramebuffers(n, framebuffers);
}
void glGenFramebuffersEXT(GLsizei n, GLuint* framebuffers) { emscripten_glGenFramebuffers(n, framebuffers); }
GLenum glCheckFramebufferStatusEXT(GLenum target) { return emscripten_glCheckFramebufferStatus(target); }

// WebGL 2 has no 1D textures and attaches 3D ones by layer: these two,
// which the program fetches but never calls, say so as GL would.
void glFramebufferTexture1DEXT(GLenum, GLenum, GLenum, GLuint, GLint) { setError(GL_INVALID_OPERATION); }
void glFramebufferTexture3DEXT(GLenum, GLenum, GLenum, GLuint, GLint, GLint) { setError(GL_INVALID_OPERATION); }

void glFramebufferTexture2DEXT(GLenum target, GLenum attachment, GLenum textureTarget, GLuint texture, GLint level) {
    flush();
    emscripten_glFramebufferTexture2D(target, attachment, textureTarget, texture, level);
}
void glFramebufferRenderbufferEXT(GLenum target, GLenum attachment, GLenum renderbufferTarget, GLuint renderbuffer) {
    flush();
    emscripten_glFramebufferRenderbuffer(target, attachment, renderbufferTarget, renderbuffer);
}
void glGetFramebufferAttachmentParameterivEXT(GLenum target, GLenum attachment, GLenum pname, GLint* params) {
    emscripten_glGetFramebufferAttachmentParameteriv(target, attachment, pname, params);
}
void glGenerateMipmapEXT(GLenum target) {
    flush();
    emscripten_glGenerateMipmap(target);
}

}  // extern "C"

void* glCompatEntryPoint(const char* name) {
    struct Entry {
        const char* name;
        void* function;
    };
    static const Entry kEntries[] = {
        {"glIsRenderbufferEXT", reinterpret_cast<void*>(&glIsRenderbufferEXT)},
        {"glBindRenderbufferEXT", reinterpret_cast<void*>(&glBindRenderbufferEXT)},
        {"glDeleteRenderbuffersEXT", reinterpret_cast<void*>(&glDeleteRenderbuffersEXT)},
        {"glGenRenderbuffersEXT", reinterpret_cast<void*>(&glGenRenderbuffersEXT)},
        {"glRenderbufferStorageEXT", reinterpret_cast<void*>(&glRenderbufferStorageEXT)},
        {"glGetRenderbufferParameterivEXT", reinterpret_cast<void*>(&glGetRenderbufferParameterivEXT)},
        {"glIsFramebufferEXT", reinterpret_cast<void*>(&glIsFramebufferEXT)},
        {"glBindFramebufferEXT", reinterpret_cast<void*>(&glBindFramebufferEXT)},
        {"glDeleteFramebuffersEXT", reinterpret_cast<void*>(&glDeleteFramebuffersEXT)},
        {"glGenFramebuffersEXT", reinterpret_cast<void*>(&glGenFramebuffersEXT)},
        {"glCheckFramebufferStatusEXT", reinterpret_cast<void*>(&glCheckFramebufferStatusEXT)},
        {"glFramebufferTexture1DEXT", reinterpret_cast<void*>(&glFramebufferTexture1DEXT)},
        {"glFramebufferTexture2DEXT", reinterpret_cast<void*>(&glFramebufferTexture2DEXT)},
        {"glFramebufferTexture3DEXT", reinterpret_cast<void*>(&glFramebufferTexture3DEXT)},
        {"glFramebufferRenderbufferEXT", reinterpret_cast<void*>(&glFramebufferRenderbufferEXT)},
        {"glGetFramebufferAttachmentParameterivEXT",
         reinterpret_cast<void*>(&glGetFramebufferAttachmentParameterivEXT)},
        {"glGenerateMipmapEXT", reinterpret_cast<void*>(&glGenerateMipmapEXT)},
    };
    for (const Entry& e : kEntries)
        if (std::strcmp(e.name, name) == 0) return e.function;
    return nullptr;
}
