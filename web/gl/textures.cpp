// Textures: GL's unsized formats and GL_CLAMP mapped to what WebGL 2
// takes, the sizes the program asks back, mipmaps, and the copies from
// the framebuffer.
#include <GL/glu.h>

#include <vector>

#include "compat_state.h"

using namespace glcompat;

namespace {

GLuint activeUnit = 0;  // GL_TEXTURE0 + this

TextureInfo& boundInfo() { return state().textures[state().a.texture]; }

// Rows of width pixels of from components each, repacked with to
// components (alpha 255 where there was none), rows aligned to 4 bytes as
// GL_UNPACK_ALIGNMENT's default reads them.
std::vector<unsigned char> repacked(const unsigned char* pixels, int width, int height, int from, int to) {
    const size_t inRow = (static_cast<size_t>(width) * from + 3) & ~size_t{3};
    const size_t outRow = (static_cast<size_t>(width) * to + 3) & ~size_t{3};
    std::vector<unsigned char> out(outRow * static_cast<size_t>(height), 255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < to && c < from; ++c)
                out[outRow * y + static_cast<size_t>(x) * to + c] =
                    pixels[inRow * y + static_cast<size_t>(x) * from + c];
    return out;
}

int components(GLenum format) { return format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 0; }

}  // namespace

namespace glcompat {

const TextureInfo* boundTextureImage() {
    const State& s = state();
    const auto found = s.textures.find(s.a.texture);
    if (found == s.textures.end() || found->second.width <= 0 || found->second.height <= 0) return nullptr;
    return &found->second;
}

}  // namespace glcompat

extern "C" {

void glActiveTexture(GLenum unit) {
    activeUnit = unit - GL_TEXTURE0;
    emscripten_glActiveTexture(unit);
}

void glBindTexture(GLenum target, GLuint texture) {
    if (target == GL_TEXTURE_2D && activeUnit == 0) {
        if (state().a.texture == texture) return;
        flush();
        state().a.texture = texture;
    }
    emscripten_glBindTexture(target, texture);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    flush();
    State& s = state();
    for (GLsizei i = 0; i < n; ++i) {
        s.textures.erase(textures[i]);
        if (s.a.texture == textures[i]) s.a.texture = 0;
    }
    emscripten_glDeleteTextures(n, textures);
}

// Internal formats 3 and 4 (and the sized ones) as WebGL 2's RGB8 and
// RGBA8, the pixels converted to the matching format; a float type comes
// only without pixels (an image the GL fills later) and is dropped.
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const void* pixels) {
    flush();
    const bool rgba = internalFormat == 4 || internalFormat == GL_RGBA || internalFormat == GL_RGBA8;
    const bool rgb = internalFormat == 3 || internalFormat == GL_RGB || internalFormat == GL_RGB8;
    if (!rgba && !rgb) {
        emscripten_glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
        return;
    }
    const GLenum sized = rgba ? GL_RGBA8 : GL_RGB8;
    const GLenum wanted = rgba ? GL_RGBA : GL_RGB;
    std::vector<unsigned char> converted;
    if (pixels && type != GL_UNSIGNED_BYTE) return setError(GL_INVALID_OPERATION);
    if (pixels && format != wanted && components(format)) {
        converted =
            repacked(static_cast<const unsigned char*>(pixels), width, height, components(format), components(wanted));
        pixels = converted.data();
    }
    emscripten_glTexImage2D(target, level, static_cast<GLint>(sized), width, height, border, wanted, GL_UNSIGNED_BYTE,
                            pixels);
    if (target == GL_TEXTURE_2D && level == 0) {
        TextureInfo& info = boundInfo();
        info.width = width;
        info.height = height;
    }
}

void glTexParameteri(GLenum target, GLenum pname, GLint value) {
    flush();
    if (pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T) {
        TextureInfo& info = boundInfo();
        (pname == GL_TEXTURE_WRAP_S ? info.clampS : info.clampT) = value == GL_CLAMP;
        // The shaders take off the border's share of a sample (programs.cpp).
        if (value == GL_CLAMP) value = GL_CLAMP_TO_EDGE;
    }
    emscripten_glTexParameteri(target, pname, value);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat value) {
    glTexParameteri(target, pname, static_cast<GLint>(value));
}

void glGetTexLevelParameteriv(GLenum, GLint level, GLenum pname, GLint* value) {
    const TextureInfo& info = boundInfo();
    switch (pname) {
    case GL_TEXTURE_WIDTH: *value = info.width >> level; return;
    case GL_TEXTURE_HEIGHT: *value = info.height >> level; return;
    default: setError(GL_INVALID_ENUM);
    }
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x, GLint y, GLsizei width,
                         GLsizei height) {
    flush();  // the copy is of what the pending vertices draw too
    emscripten_glCopyTexSubImage2D(target, level, xOffset, yOffset, x, y, width, height);
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels) {
    flush();
    emscripten_glReadPixels(x, y, width, height, format, type, pixels);
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        const void* data) {
    glTexImage2D(target, 0, internalFormat, width, height, 0, format, type, data);
    emscripten_glGenerateMipmap(target);
    return 0;
}

}  // extern "C"
