#include "gfx/engine.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "gfx/gl_state.h"

Engine* engine = nullptr;

namespace {

constexpr double kAspect = 4.0 / 3.0;
constexpr double kNear = 0.5;
constexpr double kFar = 3000.0;

struct TexturedVertex {
    float x, y, z, s, t;
};

// Corners are (sign, sign, sign) multiples of the half size.
void drawQuads(const TexturedVertex* vertices, int count, float halfSize) {
    glBegin(GL_QUADS);
    for (int i = 0; i < count; ++i) {
        const TexturedVertex& v = vertices[i];
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x * halfSize, v.y * halfSize, v.z * halfSize);
    }
    glEnd();
}

// clang-format off
constexpr TexturedVertex kFloor[] = {
    {-1, 0, -1, 0, 0}, {1, 0, -1, 1, 0}, {1, 0, 1, 1, 1}, {-1, 0, 1, 0, 1},
};

constexpr TexturedVertex kCube[] = {
    // y = +s
    {-1, 1, -1, 0, 0}, {1, 1, -1, 1, 0}, {1, 1, 1, 1, 1}, {-1, 1, 1, 0, 1},
    // y = -s
    {1, -1, 1, 1, 1}, {-1, -1, 1, 0, 1}, {-1, -1, -1, 0, 0}, {1, -1, -1, 1, 0},
    // x = +s
    {1, 1, 1, 0, 0}, {1, 1, -1, 1, 0}, {1, -1, -1, 1, 1}, {1, -1, 1, 0, 1},
    // x = -s
    {-1, 1, -1, 0, 0}, {-1, 1, 1, 1, 0}, {-1, -1, 1, 1, 1}, {-1, -1, -1, 0, 1},
    // z = -s
    {1, 1, -1, 0, 0}, {-1, 1, -1, 1, 0}, {-1, -1, -1, 1, 1}, {1, -1, -1, 0, 1},
    // z = +s
    {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, -1, 1, 1, 1}, {-1, -1, 1, 0, 1},
};
// clang-format on

}  // namespace

void Engine::setOrtho2D(float width, float height) {
    setGlState(kFlatState);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

void Engine::setPerspective(float width, float height) { setPerspectiveFov(width, height, 45.0f); }

void Engine::setPerspectiveFov(float width, float height, float fovDegrees) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovDegrees, kAspect, kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

void Engine::drawFloorQuad(float halfSize) { drawQuads(kFloor, 4, halfSize); }

void Engine::drawTexturedCube(float halfSize) { drawQuads(kCube, 24, halfSize); }
