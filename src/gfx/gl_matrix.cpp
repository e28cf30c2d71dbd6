#include "gfx/gl_matrix.h"

#include <GL/gl.h>

#include <cmath>

void translatedColumn(const float (&m)[16], const Vec3& p, float (&out)[4]) {
    out[0] = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
    out[1] = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
    out[2] = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
    out[3] = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
}

ViewVolume::ViewVolume() { glGetFloatv(GL_PROJECTION_MATRIX, projection_); }

bool ViewVolume::whollyOutside(const float (&m)[16], const Vec3* points, int count) const {
    constexpr double kMargin = 1e-4;
    // Planes w + x, w - x, w + y, w - y, w + z, w - z: inside is >= 0.
    bool outside[6] = {true, true, true, true, true, true};
    for (int i = 0; i < count; ++i) {
        const double v[4] = {points[i].x, points[i].y, points[i].z, 1.0};
        double eye[4];
        double eyeSize[4];  // the magnitudes summed: the scale of the driver's rounding
        for (int row = 0; row < 4; ++row) {
            eye[row] = 0.0;
            eyeSize[row] = 0.0;
            for (int k = 0; k < 4; ++k) {
                const double term = static_cast<double>(m[k * 4 + row]) * v[k];
                eye[row] += term;
                eyeSize[row] += std::fabs(term);
            }
        }
        double clip[4];
        double size[4];
        for (int row = 0; row < 4; ++row) {
            clip[row] = 0.0;
            size[row] = 0.0;
            for (int k = 0; k < 4; ++k) {
                const double p = projection_[k * 4 + row];
                clip[row] += p * eye[k];
                size[row] += std::fabs(p) * eyeSize[k];
            }
        }
        for (int axis = 0; axis < 3; ++axis) {
            const double slack = kMargin * (size[axis] + size[3]);
            if (!(clip[3] + clip[axis] < -slack)) outside[2 * axis] = false;
            if (!(clip[3] - clip[axis] < -slack)) outside[2 * axis + 1] = false;
        }
    }
    for (const bool plane : outside)
        if (plane) return true;
    return false;
}
