#include "gfx/gl_matrix.h"

#include <GL/gl.h>

#include <cmath>

#include "gfx/engine.h"

namespace {

// A hundred times the relative rounding of the driver's float arithmetic on
// the terms of a clip coordinate; the winding, a product of three, ten
// times more.
constexpr double kMargin = 1e-4;
constexpr double kWindingMargin = 1e-3;

}  // namespace

void translatedColumn(const float (&m)[16], const Vec3& p, float (&out)[4]) {
    out[0] = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
    out[1] = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
    out[2] = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
    out[3] = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
}

void translatedMatrix(const float (&m)[16], const Vec3& p, float (&out)[16]) {
    float column[4];
    translatedColumn(m, p, column);
    for (int i = 0; i < 12; ++i) out[i] = m[i];
    for (int row = 0; row < 4; ++row) out[12 + row] = column[row];
}

ViewVolume::ViewVolume() : projection_(), combined_(), magnitude_() {
    glGetFloatv(GL_PROJECTION_MATRIX, projection_);
    const unsigned int current = currentProgram();
    trusted_ = current == 0 || (engine && engine->shaders && engine->shaders->keepsFixedTransform(current));
}

void ViewVolume::setModelview(const float (&m)[16]) {
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            double size = 0.0;
            for (int k = 0; k < 4; ++k) {
                const double p = projection_[k * 4 + row];
                const double q = m[column * 4 + k];
                sum += p * q;
                size += std::fabs(p) * std::fabs(q);
            }
            combined_[column * 4 + row] = sum;
            magnitude_[column * 4 + row] = size;
        }
}

ClipPoint ViewVolume::clip(const Vec3& p) const {
    const double v[4] = {p.x, p.y, p.z, 1.0};
    ClipPoint c{};
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 4; ++k) {
            c.at[row] += combined_[k * 4 + row] * v[k];
            c.size[row] += magnitude_[k * 4 + row] * std::fabs(v[k]);
        }
    // Planes w + x, w - x, w + y, w - y, w + z, w - z: inside is >= 0.
    for (int axis = 0; axis < 3; ++axis) {
        const double slack = kMargin * (c.size[axis] + c.size[3]);
        if (c.at[3] + c.at[axis] < -slack) c.outside |= 1u << (2 * axis);
        if (c.at[3] - c.at[axis] < -slack) c.outside |= 1u << (2 * axis + 1);
    }
    return c;
}

bool ViewVolume::whollyOutside(const float (&m)[16], const Vec3* points, int count) {
    if (!trusted_) return false;
    setModelview(m);
    unsigned outside = ~0u;
    for (int i = 0; i < count; ++i) outside &= clip(points[i]).outside;
    return count > 0 && outside != 0;
}

int clearWinding(const ClipPoint& a, const ClipPoint& b, const ClipPoint& c) {
    for (const ClipPoint* p : {&a, &b, &c})
        if (!(p->at[3] > kMargin * p->size[3])) return 0;
    // The sign of the determinant of the rows (x, y, w) is the sign of the
    // area after the division by w, all three w being positive.
    auto det = [](const double* p, const double* q, const double* r) {
        return p[0] * (q[1] * r[3] - r[1] * q[3]) - p[1] * (q[0] * r[3] - r[0] * q[3]) +
               p[3] * (q[0] * r[1] - r[0] * q[1]);
    };
    const double area = det(a.at, b.at, c.at);
    // Its terms at the coordinates' magnitudes: how far rounding could move it.
    auto bound = [](const double* p, const double* q, const double* r) {
        return p[0] * (q[1] * r[3] + r[1] * q[3]) + p[1] * (q[0] * r[3] + r[0] * q[3]) +
               p[3] * (q[0] * r[1] + r[0] * q[1]);
    };
    const double slack = kWindingMargin * bound(a.size, b.size, c.size);
    if (area > slack) return 1;
    if (area < -slack) return -1;
    return 0;
}
