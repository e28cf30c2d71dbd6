// The matrix stacks and the GLU matrix helpers. The arithmetic is Mesa's
// and libGLU's, step for step and in single or double precision where
// theirs is: the program reads matrices back (its culling, the particles'
// facing) and expects the floats the native driver gives.
#include <cmath>

#include "compat_state.h"

namespace glcompat {

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix p;
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j)
            p[j * 4 + i] = ai0 * b[j * 4] + ai1 * b[j * 4 + 1] + ai2 * b[j * 4 + 2] + ai3 * b[j * 4 + 3];
    }
    return p;
}

void transform(const Matrix& m, const float (&v)[4], float (&out)[4]) {
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

const Matrix& top(int i) { return state().stacks[i].back(); }

void normalMatrixOf(const Matrix& m, float (&out)[9]) {
    // Inverse transpose of the upper 3x3, in double.
    const double a = m[0], b = m[4], c = m[8];
    const double d = m[1], e = m[5], f = m[9];
    const double g = m[2], h = m[6], k = m[10];
    const double A = e * k - f * h, B = -(d * k - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    const double s = det != 0.0 ? 1.0 / det : 0.0;
    // The inverse's transpose is the cofactor matrix over the determinant;
    // cof holds it row by row, out column by column.
    const double cof[9] = {
        A, B, C, -(b * k - c * h), a * k - c * g, -(a * h - b * g), b * f - c * e, -(a * f - c * d), a * e - b * d};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) out[col * 3 + row] = static_cast<float>(cof[row * 3 + col] * s);
}

}  // namespace glcompat

using namespace glcompat;

namespace {

int stackOf(GLenum mode) {
    switch (mode) {
    case GL_PROJECTION: return 1;
    case GL_TEXTURE: return 2;
    default: return 0;
    }
}

// What the pending vertices took from the matrix about to change is drawn
// first: a program's vertices take both, the eye-space ones only the
// projection.
Matrix& changing() {
    State& s = state();
    if ((s.stack == 0 && s.batchKind == Batch::Object) ||
        (s.stack == 1 && (s.batchKind == Batch::Eye || s.batchKind == Batch::Object)))
        flush();
    s.matrixSerial += 1;
    return s.stacks[s.stack].back();
}

void multiplyBy(const Matrix& m) {
    Matrix& t = changing();
    t = multiply(t, m);
}

}  // namespace

extern "C" {

void glMatrixMode(GLenum mode) {
    state().a.matrixMode = mode;
    state().stack = stackOf(mode);
}

void glLoadIdentity() { changing() = kIdentity; }

void glLoadMatrixf(const GLfloat* m) {
    Matrix& t = changing();
    for (int i = 0; i < 16; ++i) t[i] = m[i];
}

void glMultMatrixf(const GLfloat* m) {
    Matrix b;
    for (int i = 0; i < 16; ++i) b[i] = m[i];
    multiplyBy(b);
}

void glMultMatrixd(const GLdouble* m) {
    Matrix b;
    for (int i = 0; i < 16; ++i) b[i] = static_cast<float>(m[i]);
    multiplyBy(b);
}

void glPushMatrix() {
    State& s = state();
    std::vector<Matrix>& stack = s.stacks[s.stack];
    // GL's smallest depths: 32 modelview, 2 projection and texture matrices.
    const size_t depth = s.stack == 0 ? 32 : 2;
    if (stack.size() >= depth) return setError(GL_STACK_OVERFLOW);
    stack.push_back(stack.back());
}

void glPopMatrix() {
    State& s = state();
    if (s.stacks[s.stack].size() <= 1) return setError(GL_STACK_UNDERFLOW);
    changing();
    s.stacks[s.stack].pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Matrix& m = changing();
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    Matrix& m = changing();
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (angle == 0.0f) return;
    const float s = std::sin(static_cast<float>(angle * M_PI / 180.0));
    const float c = std::cos(static_cast<float>(angle * M_PI / 180.0));
    Matrix m = kIdentity;
    auto M = [&m](int row, int col) -> float& { return m[col * 4 + row]; };
    // The axes alone, as Mesa builds them: exact zeros and ones off the plane.
    bool axis = true;
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        M(0, 0) = c;
        M(1, 1) = c;
        M(0, 1) = z < 0.0f ? s : -s;
        M(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        M(0, 0) = c;
        M(2, 2) = c;
        M(0, 2) = y < 0.0f ? -s : s;
        M(2, 0) = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        M(1, 1) = c;
        M(2, 2) = c;
        M(1, 2) = x < 0.0f ? s : -s;
        M(2, 1) = x < 0.0f ? -s : s;
    } else {
        axis = false;
    }
    if (!axis) {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f) return;
        x /= mag;
        y /= mag;
        z /= mag;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
        M(0, 0) = (oneC * xx) + c;
        M(0, 1) = (oneC * xy) - zs;
        M(0, 2) = (oneC * zx) + ys;
        M(1, 0) = (oneC * xy) + zs;
        M(1, 1) = (oneC * yy) + c;
        M(1, 2) = (oneC * yz) - xs;
        M(2, 0) = (oneC * zx) - ys;
        M(2, 1) = (oneC * yz) + xs;
        M(2, 2) = (oneC * zz) + c;
    }
    multiplyBy(m);
}

void glOrtho(GLdouble leftD, GLdouble rightD, GLdouble bottomD, GLdouble topD, GLdouble nearD, GLdouble farD) {
    const float left = static_cast<float>(leftD), right = static_cast<float>(rightD);
    const float bottom = static_cast<float>(bottomD), top = static_cast<float>(topD);
    const float nearVal = static_cast<float>(nearD), farVal = static_cast<float>(farD);
    Matrix m = kIdentity;
    m[0] = 2.0f / (right - left);
    m[12] = -(right + left) / (right - left);
    m[5] = 2.0f / (top - bottom);
    m[13] = -(top + bottom) / (top - bottom);
    m[10] = -2.0f / (farVal - nearVal);
    m[14] = -(farVal + nearVal) / (farVal - nearVal);
    multiplyBy(m);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    m[15] = 0;
    glMultMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
    auto normalise = [](float(&v)[3]) {
        const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (r == 0.0f) return;
        v[0] /= r;
        v[1] /= r;
        v[2] /= r;
    };
    auto cross = [](const float(&a)[3], const float(&b)[3], float(&out)[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    float forward[3] = {static_cast<float>(centreX - eyeX), static_cast<float>(centreY - eyeY),
                        static_cast<float>(centreZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    float m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                   side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    glMultMatrixf(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

}  // extern "C"
