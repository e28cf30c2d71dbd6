// Spline paths for shape files: knots joined by cubic Bezier segments, each
// segment written as knot, two control points, knot.
//
//   std::vector<PathVertex> p = smoothPath({{0, 0, 0}, {10, 5, 0}, {20, 0, 3}});
//   // knot, interp, interp, knot, interp, interp, knot
//
// A reader that joins the points between two knots into one Bezier curve
// then passes through every given point with a continuous tangent.
#pragma once

#include <vector>

#include "mesh/mesh.h"

struct PathVertex {
    Point3 point;
    bool knot = true;  // false: a control point between two knots
};

// Catmull-Rom through the points, as cubic Bezier segments. Fewer than two
// points give just the knots.
std::vector<PathVertex> smoothPath(const std::vector<Point3>& points);

// `count` points evenly round a circle of the given radius in the plane
// z = height, starting on +x and turning towards +y; for closed loops pass
// the first point again at the end.
std::vector<Point3> circlePoints(float radius, int count, float height);

// Point of a Bezier segment (its control points) at parameter t in 0..1.
Point3 bezierPoint(const std::vector<Point3>& controls, float t);
