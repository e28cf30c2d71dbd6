// The fixed-function matrices worked on the CPU: where a frame would ask the
// driver for a matrix it has just made, or send it a primitive it will clip
// or cull away whole, these give the same answer without the round trip.
//
//   float camera[16];
//   glGetFloatv(GL_MODELVIEW_MATRIX, camera);            // once
//   float column[4];
//   translatedColumn(camera, p, column);                 // glTranslatef's, to the bit
//   ViewVolume view;                                     // the current projection
//   if (view.whollyOutside(camera, corners, 4)) skip;    // it would write nothing
//
// The verdicts hold for what the fixed transform places: a vertex program
// that moves its vertices elsewhere is not covered (ShaderManager says which
// programs keep it).
#pragma once

#include "assets/vec_math.h"

// The last column of what glTranslatef(p.x, p.y, p.z) makes of the
// column-major matrix m: the GL's own products and sums in its order, so
// the same floats as reading the matrix back after the call (a GL test
// holds the driver to it).
void translatedColumn(const float (&m)[16], const Vec3& p, float (&out)[4]);
// The whole of what glTranslatef(p.x, p.y, p.z) makes of m: m with that
// column in its last.
void translatedMatrix(const float (&m)[16], const Vec3& p, float (&out)[16]);

// A point in clip space, worked in double, with the magnitudes of the terms
// of each coordinate: the scale of the rounding the driver's float
// arithmetic adds to it.
struct ClipPoint {
    double at[4];    // x, y, z, w
    double size[4];
    unsigned outside;  // a bit for each plane it lies outside of, by the margin
};

// The view volume of the projection matrix current when it is made, and
// whether the current program places vertices by the fixed transform: when
// it does not, nothing is ever called outside.
class ViewVolume {
public:
    ViewVolume();
    bool trusted() const { return trusted_; }

    // Projects points given in the frame of the column-major modelview m
    // (set once, then any number of points).
    void setModelview(const float (&m)[16]);
    ClipPoint clip(const Vec3& p) const;

    // Whether the points under m all lie outside one plane of the volume by
    // a margin of 1e-4 of the magnitudes involved, a hundred times what the
    // driver's float arithmetic can move them: then a primitive through
    // them is clipped away whole and writes no fragment, so leaving it out
    // changes no pixel. A NaN anywhere never counts as outside.
    bool whollyOutside(const float (&m)[16], const Vec3* points, int count);

private:
    bool trusted_ = false;
    float projection_[16];
    double combined_[16];   // projection times modelview
    double magnitude_[16];  // |projection| times |modelview|
};

// +1 when the triangle a, b, c is wound counter-clockwise on the screen
// beyond any doubt the driver's rounding could raise, -1 when clockwise, 0
// when that cannot be told (nearly edge-on, or not wholly in front of the
// eye, where the GL decides on the clipped polygon).
int clearWinding(const ClipPoint& a, const ClipPoint& b, const ClipPoint& c);
