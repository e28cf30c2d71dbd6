// GL's switches, values and queries as the layer keeps them, the attribute
// stack, light 0 and the materials, GLEW's two calls, and the start.
#include <GL/glew.h>

#include <cstdio>
#include <cstring>

#include "compat_state.h"
#include "gl_compat.h"

namespace glcompat {

State& state() {
    static State s;
    return s;
}

void setError(GLenum error) {
    if (state().error == GL_NO_ERROR) state().error = error;
}

}  // namespace glcompat

using namespace glcompat;

namespace {

// The switches WebGL has: set there too.
bool* realSwitch(GLenum cap) {
    Attribs& a = state().a;
    switch (cap) {
    case GL_DEPTH_TEST: return &a.depthTest;
    case GL_CULL_FACE: return &a.cullFace;
    case GL_BLEND: return &a.blend;
    case GL_SCISSOR_TEST: return &a.scissorTest;
    case GL_DITHER: return &a.dither;
    default: return nullptr;
    }
}

// The switches the layer's own drawing reads.
bool* emulatedSwitch(GLenum cap) {
    Attribs& a = state().a;
    switch (cap) {
    case GL_TEXTURE_2D: return &a.texture2D;
    case GL_LIGHTING: return &a.lighting;
    case GL_LIGHT0: return &a.light0;
    case GL_LINE_SMOOTH: return &a.lineSmooth;
    case GL_FOG: return &a.fog;
    case GL_ALPHA_TEST: return &a.alphaTest;
    case GL_COLOR_MATERIAL: return &a.colourMaterial;
    case GL_NORMALIZE: return &a.normalize;
    default: return nullptr;
    }
}

void setSwitch(GLenum cap, bool on) {
    if (bool* real = realSwitch(cap)) {
        if (*real == on) return;
        flush();
        *real = on;
        if (on)
            emscripten_glEnable(cap);
        else
            emscripten_glDisable(cap);
        return;
    }
    if (bool* emulated = emulatedSwitch(cap)) {
        if (*emulated == on) return;
        flush();
        *emulated = on;
        if (cap == GL_LIGHT0) state().lightingSerial += 1;
        return;
    }
    // Lights 1 to 7, and anything else GL has: kept by nobody, drawn by nobody.
    if (cap >= GL_LIGHT0 && cap <= GL_LIGHT7) return;
    setError(GL_INVALID_ENUM);
}

template <size_t N>
void copyValues(float (&to)[N], const float* from) {
    for (size_t i = 0; i < N; ++i) to[i] = from[i];
}

void changeLighting() {
    flush();
    state().lightingSerial += 1;
}

void setMaterial(Material& m, GLenum pname, const GLfloat* v) {
    switch (pname) {
    case GL_AMBIENT: copyValues(m.ambient, v); break;
    case GL_DIFFUSE: copyValues(m.diffuse, v); break;
    case GL_AMBIENT_AND_DIFFUSE:
        copyValues(m.ambient, v);
        copyValues(m.diffuse, v);
        break;
    case GL_SPECULAR: copyValues(m.specular, v); break;
    case GL_EMISSION: copyValues(m.emission, v); break;
    case GL_SHININESS: m.shininess = v[0]; break;
    default: setError(GL_INVALID_ENUM);
    }
}

// Puts back the groups of mask from saved, through the setters.
void restore(const Attribs& from, GLbitfield m) {
    Attribs& a = state().a;
    if (m & GL_CURRENT_BIT) {
        copyValues(a.colour, from.colour);
        copyValues(a.normal, from.normal);
        copyValues(a.texCoord, from.texCoord);
    }
    auto put = [&](GLbitfield groups, GLenum cap, bool on) {
        if (m & groups) setSwitch(cap, on);
    };
    put(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT, GL_DEPTH_TEST, from.depthTest);
    put(GL_ENABLE_BIT | GL_POLYGON_BIT, GL_CULL_FACE, from.cullFace);
    put(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT, GL_BLEND, from.blend);
    put(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT, GL_DITHER, from.dither);
    put(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT, GL_ALPHA_TEST, from.alphaTest);
    put(GL_ENABLE_BIT | GL_SCISSOR_BIT, GL_SCISSOR_TEST, from.scissorTest);
    put(GL_ENABLE_BIT | GL_TEXTURE_BIT, GL_TEXTURE_2D, from.texture2D);
    put(GL_ENABLE_BIT | GL_LIGHTING_BIT, GL_LIGHTING, from.lighting);
    put(GL_ENABLE_BIT | GL_LIGHTING_BIT, GL_LIGHT0, from.light0);
    put(GL_ENABLE_BIT | GL_LIGHTING_BIT, GL_COLOR_MATERIAL, from.colourMaterial);
    put(GL_ENABLE_BIT | GL_LINE_BIT, GL_LINE_SMOOTH, from.lineSmooth);
    put(GL_ENABLE_BIT | GL_FOG_BIT, GL_FOG, from.fog);
    put(GL_ENABLE_BIT | GL_TRANSFORM_BIT, GL_NORMALIZE, from.normalize);
    if (m & GL_COLOR_BUFFER_BIT) {
        glBlendFunc(from.blendSource, from.blendDestination);
        glColorMask(from.colourMask[0], from.colourMask[1], from.colourMask[2], from.colourMask[3]);
        glClearColor(from.clearColour[0], from.clearColour[1], from.clearColour[2], from.clearColour[3]);
    }
    if (m & GL_DEPTH_BUFFER_BIT) {
        glDepthFunc(from.depthFunc);
        glDepthMask(from.depthMask);
    }
    if (m & GL_SCISSOR_BIT) glScissor(from.scissor[0], from.scissor[1], from.scissor[2], from.scissor[3]);
    if (m & GL_VIEWPORT_BIT) glViewport(from.viewport[0], from.viewport[1], from.viewport[2], from.viewport[3]);
    if (m & GL_LINE_BIT) glLineWidth(from.lineWidth);
    if (m & GL_POLYGON_BIT) {
        glCullFace(from.cullFaceMode);
        glFrontFace(from.frontFace);
    }
    if (m & GL_LIGHTING_BIT) {
        changeLighting();
        a.light0Params = from.light0Params;
        a.front = from.front;
        a.back = from.back;
        copyValues(a.modelAmbient, from.modelAmbient);
    }
    if (m & GL_TRANSFORM_BIT) glMatrixMode(from.matrixMode);
    if (m & GL_TEXTURE_BIT) glBindTexture(GL_TEXTURE_2D, from.texture);
}

std::string extensionList() {
    // The names the program's capability check looks for, each listed when
    // WebGL 2 gives what it stands for: framebuffer objects with a
    // renderbuffer and a texture the size of the render target, and
    // programmable shading (GLSL ES 3.00 behind the layer's rewriting).
    std::string list;
    GLint renderbuffer = 0, texture = 0;
    emscripten_glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    if (renderbuffer >= 1024 && texture >= 1024) list += "GL_EXT_framebuffer_object ";
    const GLubyte* language = emscripten_glGetString(GL_SHADING_LANGUAGE_VERSION);
    if (language && std::strstr(reinterpret_cast<const char*>(language), "GLSL ES 3.00"))
        list +=
            "GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader GL_ARB_fragment_program "
            "GL_ARB_shading_language_100 ";
    return list;
}

}  // namespace

void startGlCompat() {
    State& s = state();
    for (std::vector<Matrix>& stack : s.stacks) stack.assign(1, kIdentity);
    emscripten_glGenVertexArrays(1, &s.vertexArray);
    emscripten_glBindVertexArray(s.vertexArray);
    emscripten_glGenBuffers(1, &s.vertexBuffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.vertexBuffer);
    auto attribute = [](GLuint index, GLint size, size_t offset) {
        emscripten_glEnableVertexAttribArray(index);
        emscripten_glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                                         reinterpret_cast<void*>(offset));
    };
    attribute(kPosition, 4, offsetof(Vertex, position));
    attribute(kNormal, 3, offsetof(Vertex, normal));
    attribute(kColour, 4, offsetof(Vertex, colour));
    attribute(kTexCoord, 2, offsetof(Vertex, texCoord));
    emscripten_glGetIntegerv(GL_VIEWPORT, s.a.viewport);
    emscripten_glGetIntegerv(GL_SCISSOR_BOX, s.a.scissor);
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &s.maxTextureSize);
    s.extensions = extensionList();
}

extern "C" {

void glEnable(GLenum cap) { setSwitch(cap, true); }
void glDisable(GLenum cap) { setSwitch(cap, false); }

GLboolean glIsEnabled(GLenum cap) {
    if (const bool* real = realSwitch(cap)) return *real;
    if (const bool* emulated = emulatedSwitch(cap)) return *emulated;
    return GL_FALSE;
}

void glBlendFunc(GLenum source, GLenum destination) {
    Attribs& a = state().a;
    if (a.blendSource == source && a.blendDestination == destination) return;
    flush();
    a.blendSource = source;
    a.blendDestination = destination;
    emscripten_glBlendFunc(source, destination);
}

void glDepthMask(GLboolean on) {
    Attribs& a = state().a;
    if (a.depthMask == (on != GL_FALSE)) return;
    flush();
    a.depthMask = on != GL_FALSE;
    emscripten_glDepthMask(on);
}

void glDepthFunc(GLenum func) {
    Attribs& a = state().a;
    if (a.depthFunc == func) return;
    flush();
    a.depthFunc = func;
    emscripten_glDepthFunc(func);
}

void glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean alpha) {
    Attribs& a = state().a;
    const bool mask[4] = {r != GL_FALSE, g != GL_FALSE, b != GL_FALSE, alpha != GL_FALSE};
    if (std::memcmp(mask, a.colourMask, sizeof mask) == 0) return;
    flush();
    std::memcpy(a.colourMask, mask, sizeof mask);
    emscripten_glColorMask(r, g, b, alpha);
}

void glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat alpha) {
    float* c = state().a.clearColour;
    c[0] = r, c[1] = g, c[2] = b, c[3] = alpha;
    emscripten_glClearColor(r, g, b, alpha);
}

void glClear(GLbitfield mask) {
    flush();
    emscripten_glClear(mask);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    int* v = state().a.viewport;
    if (v[0] == x && v[1] == y && v[2] == width && v[3] == height) return;
    flush();
    v[0] = x, v[1] = y, v[2] = width, v[3] = height;
    emscripten_glViewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    int* v = state().a.scissor;
    if (v[0] == x && v[1] == y && v[2] == width && v[3] == height) return;
    flush();
    v[0] = x, v[1] = y, v[2] = width, v[3] = height;
    emscripten_glScissor(x, y, width, height);
}

// WebGL draws lines one pixel wide; wider ones are the layer's quads.
void glLineWidth(GLfloat width) {
    if (state().a.lineWidth == width) return;
    flush();
    state().a.lineWidth = width;
}

void glCullFace(GLenum mode) {
    if (state().a.cullFaceMode == mode) return;
    flush();
    state().a.cullFaceMode = mode;
    emscripten_glCullFace(mode);
}

void glFrontFace(GLenum mode) {
    if (state().a.frontFace == mode) return;
    flush();
    state().a.frontFace = mode;
    emscripten_glFrontFace(mode);
}

// Perspective-correct texturing is all WebGL does.
void glHint(GLenum, GLenum) {}

// Nothing waits on the GPU in a page; what matters is that the pending
// vertices are drawn before anyone looks.
void glFlush() { flush(); }
void glFinish() { flush(); }

// The window has one colour buffer, a framebuffer object one attachment.
void glDrawBuffer(GLenum mode) {
    const bool window = state().framebuffer == 0;
    if (window ? (mode != GL_BACK && mode != GL_FRONT && mode != GL_BACK_LEFT) : mode != GL_COLOR_ATTACHMENT0)
        setError(GL_INVALID_OPERATION);
}
void glReadBuffer(GLenum mode) { glDrawBuffer(mode); }

void glPushAttrib(GLbitfield mask) {
    State& s = state();
    if (s.attribStack.size() >= 16) return setError(GL_STACK_OVERFLOW);
    s.attribStack.push_back({mask, s.a});
}

void glPopAttrib() {
    State& s = state();
    if (s.attribStack.empty()) return setError(GL_STACK_UNDERFLOW);
    const PushedAttribs pushed = s.attribStack.back();
    s.attribStack.pop_back();
    restore(pushed.saved, pushed.mask);
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* v) {
    if (light != GL_LIGHT0) return;  // the program lights with light 0 alone
    changeLighting();
    Light& l = state().a.light0Params;
    switch (pname) {
    case GL_AMBIENT: copyValues(l.ambient, v); break;
    case GL_DIFFUSE: copyValues(l.diffuse, v); break;
    case GL_SPECULAR: copyValues(l.specular, v); break;
    case GL_POSITION: {
        const float p[4] = {v[0], v[1], v[2], v[3]};
        transform(top(0), p, l.position);  // kept in eye space, as GL keeps it
        break;
    }
    default: setError(GL_INVALID_ENUM);
    }
}

void glLightModelfv(GLenum pname, const GLfloat* v) {
    if (pname != GL_LIGHT_MODEL_AMBIENT) return setError(GL_INVALID_ENUM);
    changeLighting();
    copyValues(state().a.modelAmbient, v);
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* v) {
    changeLighting();
    Attribs& a = state().a;
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK) setMaterial(a.front, pname, v);
    if (face == GL_BACK || face == GL_FRONT_AND_BACK) setMaterial(a.back, pname, v);
}

void glMaterialf(GLenum face, GLenum pname, GLfloat value) { glMaterialfv(face, pname, &value); }

void glGetIntegerv(GLenum pname, GLint* v) {
    const State& s = state();
    const Attribs& a = s.a;
    switch (pname) {
    case GL_VIEWPORT: std::memcpy(v, a.viewport, sizeof a.viewport); return;
    case GL_SCISSOR_BOX: std::memcpy(v, a.scissor, sizeof a.scissor); return;
    case GL_CURRENT_PROGRAM: *v = static_cast<GLint>(s.userProgram); return;
    case GL_FRAMEBUFFER_BINDING: *v = static_cast<GLint>(s.framebuffer); return;
    case GL_TEXTURE_BINDING_2D: *v = static_cast<GLint>(a.texture); return;
    case GL_MATRIX_MODE: *v = static_cast<GLint>(a.matrixMode); return;
    case GL_FRONT_FACE: *v = static_cast<GLint>(a.frontFace); return;
    case GL_CULL_FACE_MODE: *v = static_cast<GLint>(a.cullFaceMode); return;
    case GL_BLEND_SRC: *v = static_cast<GLint>(a.blendSource); return;
    case GL_BLEND_DST: *v = static_cast<GLint>(a.blendDestination); return;
    case GL_DEPTH_FUNC: *v = static_cast<GLint>(a.depthFunc); return;
    case GL_MAX_TEXTURE_SIZE: *v = s.maxTextureSize; return;
    default: emscripten_glGetIntegerv(pname, v);
    }
}

void glGetFloatv(GLenum pname, GLfloat* v) {
    const Attribs& a = state().a;
    switch (pname) {
    case GL_MODELVIEW_MATRIX: std::memcpy(v, top(0).data(), 16 * sizeof(float)); return;
    case GL_PROJECTION_MATRIX: std::memcpy(v, top(1).data(), 16 * sizeof(float)); return;
    case GL_TEXTURE_MATRIX: std::memcpy(v, top(2).data(), 16 * sizeof(float)); return;
    case GL_CURRENT_COLOR: std::memcpy(v, a.colour, sizeof a.colour); return;
    case GL_COLOR_CLEAR_VALUE: std::memcpy(v, a.clearColour, sizeof a.clearColour); return;
    case GL_LINE_WIDTH: *v = a.lineWidth; return;
    default: emscripten_glGetFloatv(pname, v);
    }
}

void glGetBooleanv(GLenum pname, GLboolean* v) {
    const Attribs& a = state().a;
    switch (pname) {
    case GL_DEPTH_WRITEMASK: *v = a.depthMask; return;
    case GL_COLOR_WRITEMASK:
        for (int i = 0; i < 4; ++i) v[i] = a.colourMask[i];
        return;
    default: emscripten_glGetBooleanv(pname, v);
    }
}

const GLubyte* glGetString(GLenum name) {
    switch (name) {
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>(state().extensions.c_str());
    case GL_VERSION: return reinterpret_cast<const GLubyte*>("2.0 (WebGL 2 through the web build's GL layer)");
    case GL_SHADING_LANGUAGE_VERSION: return reinterpret_cast<const GLubyte*>("1.10 (rewritten for GLSL ES 3.00)");
    default: return emscripten_glGetString(name);
    }
}

GLenum glGetError() {
    State& s = state();
    const GLenum own = s.error;
    s.error = GL_NO_ERROR;
    const GLenum webgl = emscripten_glGetError();
    return own != GL_NO_ERROR ? own : webgl;
}

GLenum glewInit() { return GLEW_OK; }

GLboolean glewIsSupported(const char* name) {
    // Version 2.0 is what the layer gives on any WebGL 2 context; anything
    // else is asked of the extension list.
    if (std::strcmp(name, "GL_VERSION_2_0") == 0) return GL_TRUE;
    return std::strstr(state().extensions.c_str(), name) ? GL_TRUE : GL_FALSE;
}

}  // extern "C"
