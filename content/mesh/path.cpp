#include "mesh/path.h"

#include <cmath>

namespace {

Point3 lerp3(Point3 a, Point3 b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t}; }

}  // namespace

std::vector<PathVertex> smoothPath(const std::vector<Point3>& points) {
    std::vector<PathVertex> out;
    const int n = static_cast<int>(points.size());
    for (int i = 0; i < n; ++i) {
        out.push_back({points[i], true});
        if (i + 1 == n) break;
        // The end points repeat themselves as their missing neighbour.
        const Point3 p0 = points[i > 0 ? i - 1 : i], p1 = points[i], p2 = points[i + 1],
                     p3 = points[i + 2 < n ? i + 2 : i + 1];
        out.push_back({{p1.x + (p2.x - p0.x) / 6, p1.y + (p2.y - p0.y) / 6, p1.z + (p2.z - p0.z) / 6}, false});
        out.push_back({{p2.x - (p3.x - p1.x) / 6, p2.y - (p3.y - p1.y) / 6, p2.z - (p3.z - p1.z) / 6}, false});
    }
    return out;
}

std::vector<Point3> circlePoints(float radius, int count, float height) {
    std::vector<Point3> out;
    for (int i = 0; i < count; ++i) {
        const float a = 6.2831853f * i / count;
        out.push_back({radius * std::cos(a), radius * std::sin(a), height});
    }
    return out;
}

Point3 bezierPoint(const std::vector<Point3>& controls, float t) {
    // de Casteljau: stable for any degree.
    std::vector<Point3> p = controls;
    for (size_t level = p.size(); level > 1; --level) {
        for (size_t i = 0; i + 1 < level; ++i) p[i] = lerp3(p[i], p[i + 1], t);
    }
    return p.empty() ? Point3{} : p[0];
}
