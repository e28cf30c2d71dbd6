// Immediate mode: glBegin ... glEnd with GL's current values, collected
// into client-array draws (see gl_compat.h), and the flush that draws them.
#include <cmath>
#include <cstdio>

#include "compat_state.h"

using namespace glcompat;

namespace {

bool lineAsQuads() {
    const Attribs& a = state().a;
    return a.lineSmooth || a.lineWidth > 1.0f;
}

void send(const Vertex& v) { state().batch.push_back(v); }

// Window coordinates of a clip-space point; false behind the eye.
bool toWindow(const float (&clip)[4], float& x, float& y) {
    if (!(clip[3] > 0.0f)) return false;
    const int* vp = state().a.viewport;
    x = (clip[0] / clip[3] * 0.5f + 0.5f) * static_cast<float>(vp[2]) + static_cast<float>(vp[0]);
    y = (clip[1] / clip[3] * 0.5f + 0.5f) * static_cast<float>(vp[3]) + static_cast<float>(vp[1]);
    return true;
}

// The clip-space point at window (x, y) with clip's depth and w.
void fromWindow(float x, float y, const float (&clip)[4], float (&out)[4]) {
    const int* vp = state().a.viewport;
    out[0] = ((x - static_cast<float>(vp[0])) / static_cast<float>(vp[2]) * 2.0f - 1.0f) * clip[3];
    out[1] = ((y - static_cast<float>(vp[1])) / static_cast<float>(vp[3]) * 2.0f - 1.0f) * clip[3];
    out[2] = clip[2];
    out[3] = clip[3];
}

// A wide or smooth line from a to b (eye space) as a quad of two triangles
// in clip space, half the width plus half a pixel to each side when
// smooth: the fragment shader fades that outer half pixel by coverage,
// from the signed distance across the line carried in texCoord[0].
void sendLineQuad(const Vertex& a, const Vertex& b) {
    const Matrix& projection = top(1);
    float clipA[4], clipB[4];
    transform(projection, a.position, clipA);
    transform(projection, b.position, clipB);
    float ax, ay, bx, by;
    if (!toWindow(clipA, ax, ay) || !toWindow(clipB, bx, by)) return;  // the program's lines lie in front
    const float dx = bx - ax, dy = by - ay;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0.0f)) return;
    const float half = 0.5f * state().a.lineWidth + (state().a.lineSmooth ? 0.5f : 0.0f);
    const float nx = -dy / length * half, ny = dx / length * half;
    Vertex corner[4] = {a, a, b, b};
    const float sides[4] = {1, -1, -1, 1};
    for (int i = 0; i < 4; ++i) {
        const float(&clip)[4] = i < 2 ? clipA : clipB;
        const float x = (i < 2 ? ax : bx) + sides[i] * nx, y = (i < 2 ? ay : by) + sides[i] * ny;
        fromWindow(x, y, clip, corner[i].position);
        corner[i].texCoord[0] = sides[i] * half;
    }
    for (const int i : {0, 1, 2, 0, 2, 3}) send(corner[i]);
}

void vertex(float x, float y, float z, float w) {
    State& s = state();
    if (!s.primitive) return;  // outside glBegin: nothing, as GL draws nothing
    Vertex& v = s.corners[s.cornerCount++];
    const float object[4] = {x, y, z, w};
    if (s.batchKind == Batch::Object) {
        for (int i = 0; i < 4; ++i) v.position[i] = object[i];
        for (int i = 0; i < 3; ++i) v.normal[i] = s.a.normal[i];
    } else {
        transform(s.eyeMatrix, object, v.position);
        const float* n = s.a.normal;
        const float* m = s.normalMatrix;
        if (s.lightingThisBegin) {
            for (int row = 0; row < 3; ++row) v.normal[row] = m[row] * n[0] + m[3 + row] * n[1] + m[6 + row] * n[2];
        } else {
            for (int i = 0; i < 3; ++i) v.normal[i] = n[i];
        }
    }
    for (int i = 0; i < 4; ++i) v.colour[i] = s.a.colour[i];
    v.texCoord[0] = s.a.texCoord[0];
    v.texCoord[1] = s.a.texCoord[1];

    const Vertex* c = s.corners;
    switch (s.primitive) {
    case GL_TRIANGLES:
        if (s.cornerCount < 3) return;
        send(c[0]), send(c[1]), send(c[2]);
        break;
    case GL_QUADS:
        if (s.cornerCount < 4) return;
        // Split at the first corner, as the native pictures are: a
        // quad's colours and coordinates interpolate the same way.
        send(c[0]), send(c[1]), send(c[2]);
        send(c[0]), send(c[2]), send(c[3]);
        break;
    case GL_LINES:
        if (s.cornerCount < 2) return;
        if (s.batchKind == Batch::Clip) {
            sendLineQuad(c[0], c[1]);
        } else {
            send(c[0]), send(c[1]);
        }
        break;
    default: break;
    }
    s.cornerCount = 0;
}

}  // namespace

namespace glcompat {

void flush() {
    State& s = state();
    if (s.batch.empty()) {
        s.batchKind = Batch::None;
        return;
    }
    ProgramInfo* info = nullptr;
    GLuint program = 0;
    if (s.batchKind == Batch::Object) {
        program = s.userProgram;
        auto found = s.programs.find(program);
        if (found != s.programs.end()) info = &found->second;
    } else {
        program = fixedProgram(s.batchKind, info);
    }
    bindProgram(program);
    if (info) setBuiltinUniforms(program, *info);

    const size_t bytes = s.batch.size() * sizeof(Vertex);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), s.batch.data(), GL_STREAM_DRAW);
    // GL never culls lines, whatever they are drawn as.
    const bool uncull = s.batchKind == Batch::Clip && s.a.cullFace;
    if (uncull) emscripten_glDisable(GL_CULL_FACE);
    emscripten_glDrawArrays(s.batchMode, 0, static_cast<GLsizei>(s.batch.size()));
    if (uncull) emscripten_glEnable(GL_CULL_FACE);
    s.batch.clear();
    s.batchKind = Batch::None;
}

}  // namespace glcompat

extern "C" {

void glBegin(GLenum mode) {
    State& s = state();
    if (s.primitive) return setError(GL_INVALID_OPERATION);
    if (mode != GL_TRIANGLES && mode != GL_QUADS && mode != GL_LINES) {
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "afterglow: the web build draws triangles, quads and lines only (glBegin %#x)\n",
                         mode);
        told = true;
        return setError(GL_INVALID_ENUM);
    }
    Batch kind = Batch::Object;
    GLenum drawn = GL_TRIANGLES;
    if (!s.userProgram) kind = mode == GL_LINES && lineAsQuads() ? Batch::Clip : Batch::Eye;
    if (mode == GL_LINES && kind != Batch::Clip) drawn = GL_LINES;
    if (s.batchKind != kind || s.batchMode != drawn) flush();
    s.batchKind = kind;
    s.batchMode = drawn;
    s.primitive = mode;
    s.cornerCount = 0;
    if (kind != Batch::Object) {
        s.eyeMatrix = top(0);
        s.lightingThisBegin = s.a.lighting;
        if (s.lightingThisBegin) normalMatrixOf(s.eyeMatrix, s.normalMatrix);
    }
}

void glEnd() {
    State& s = state();
    if (!s.primitive) return setError(GL_INVALID_OPERATION);
    s.primitive = 0;
    s.cornerCount = 0;  // an unfinished primitive is dropped, as GL drops it
}

void glVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0, 1); }
void glVertex2i(GLint x, GLint y) { vertex(static_cast<float>(x), static_cast<float>(y), 0, 1); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z, 1); }
void glVertex3fv(const GLfloat* v) { vertex(v[0], v[1], v[2], 1); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    float* c = state().a.colour;
    c[0] = r, c[1] = g, c[2] = b, c[3] = a;
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }
void glColor3fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], 1.0f); }
void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    float* n = state().a.normal;
    n[0] = x, n[1] = y, n[2] = z;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    float* c = state().a.texCoord;
    c[0] = s, c[1] = t;
}

}  // extern "C"
