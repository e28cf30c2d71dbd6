// Paths for cameras, targets and particles: one shape line of an ASCII
// scene export file as a chain of Bezier segments that meet at the knots.
//
//   SplinePath camera;
//   camera.loadShape("models/cam1.ase", 0);   // the first shape object
//   camera.scale(0.1f);
//   Vec3 eye = camera.evaluate(sceneTimeMs * 0.001f);
//
// The integer part of the parameter picks the segment, the fraction runs
// along it; parameters beyond either end extrapolate the end segments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/ase_text.h"
#include "assets/vec_math.h"

struct BezierSegment {
    std::vector<Vec3> points;  // knot, intermediate vertices, knot
    int32_t count = 0;         // points.size(), at least 2; degree count - 1
};

class SplinePath {
public:
    // Appends the segments of the first shape line of shape object number
    // shapeIndex (0-based). Prints "shapeobject found" per object passed
    // and each vertex read. A missing file or shape leaves the path as it
    // was; that, a shape cut short or without a segment, and a file that is
    // cut short or garbage are named on stderr once.
    void loadShape(const char* path, int shapeIndex);
    // The same from a file in memory; name is what messages call it.
    void loadShape(const AseFile& file, const std::string& name, int shapeIndex);
    // Scales every control point about the origin.
    void scale(float factor);
    // The point at parameter t; the origin for a path without segments.
    Vec3 evaluate(float t) const;

    int segmentCount() const { return static_cast<int>(segments.size()); }

    std::vector<BezierSegment> segments;
};
