// The fixed-function matrices worked on the CPU: where a frame would ask the
// driver for a matrix it has just made, or send it a primitive it will clip
// away whole, these give the same answer without the round trip.
//
//   float camera[16];
//   glGetFloatv(GL_MODELVIEW_MATRIX, camera);          // once
//   float column[4];
//   translatedColumn(camera, p, column);               // glTranslatef's, to the bit
//   const ViewVolume view;                             // the current projection
//   if (view.whollyOutside(camera, corners, 4)) skip;   // it would write nothing
#pragma once

#include "assets/vec_math.h"

// The last column of what glTranslatef(p.x, p.y, p.z) makes of the
// column-major matrix m: the GL's own products and sums in its order, so
// the same floats as reading the matrix back after the call (a GL test
// holds the driver to it).
void translatedColumn(const float (&m)[16], const Vec3& p, float (&out)[4]);

// The view volume of the projection matrix current when it is made.
class ViewVolume {
public:
    ViewVolume();
    // Whether the points, given in the frame of the column-major modelview
    // m, all lie outside one plane of the volume by a margin of 1e-4 of the
    // magnitudes involved, a hundred times what the driver's float
    // arithmetic can move them: then a primitive through them is clipped
    // away whole and writes no fragment, so leaving it out changes no
    // pixel. Worked in double; a NaN anywhere never counts as outside.
    bool whollyOutside(const float (&m)[16], const Vec3* points, int count) const;

private:
    float projection_[16];
};
