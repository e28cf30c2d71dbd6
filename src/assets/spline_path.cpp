#include "assets/spline_path.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <memory>

#include "assets/ase_text.h"
#include "assets/data_files.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// Far extrapolation can leave the float range; such points are pinned to
// its ends instead of becoming infinities.
float toFloat(double value) {
    if (std::isnan(value)) return 0.0f;
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

// File axes (x, y, z) to the program's (x, z, -y).
Vec3 fromFileAxes(const Vec3& p) { return {p.x, p.z, -p.y}; }

// Reads the vertex rows after a selected *SHAPE_LINE. Each knot after the
// first closes a segment of everything gathered since the previous knot.
void readShapeLine(FILE* file, std::vector<BezierSegment>& segments) {
    char line[kAseLineSize];
    if (!readLine(file, line)) return;
    splitLine(line);
    const int32_t vertexCount = wordInt(1);
    std::vector<Vec3> gathered;
    for (int32_t j = 0; j < vertexCount; ++j) {
        if (!readLine(file, line)) return;
        splitLine(line);
        const Vec3 point{wordFloat(2), wordFloat(3), wordFloat(4)};
        gathered.push_back(point);
        std::fprintf(aseProgressOut, "(%f, %f, %f)\n", point.x, point.y, point.z);
        if (wordIs(0, "*SHAPE_VERTEX_KNOT") && j > 0) {
            BezierSegment segment;
            for (const Vec3& p : gathered) segment.points.push_back(fromFileAxes(p));
            segment.count = static_cast<int32_t>(segment.points.size());
            segments.push_back(std::move(segment));
            gathered.clear();
            if (j != vertexCount - 1) gathered.push_back(point);
        }
    }
}

// De Casteljau's construction: slower than the Bernstein sum but free of
// divisions and overflowing coefficients.
Vec3 deCasteljau(const BezierSegment& segment, double u) {
    std::vector<double> x, y, z;
    for (const Vec3& p : segment.points) {
        x.push_back(p.x);
        y.push_back(p.y);
        z.push_back(p.z);
    }
    for (size_t level = x.size(); level > 1; --level)
        for (size_t i = 0; i + 1 < level; ++i) {
            x[i] += (x[i + 1] - x[i]) * u;
            y[i] += (y[i + 1] - y[i]) * u;
            z[i] += (z[i + 1] - z[i]) * u;
        }
    return {toFloat(x[0]), toFloat(y[0]), toFloat(z[0])};
}

// Bernstein form with the weights built incrementally: e runs through
// (1 - u)^(d - i), g through u^i.
// False when the sum did not stay finite.
bool bernstein(const BezierSegment& segment, double u, Vec3& result) {
    const int d = static_cast<int>(segment.points.size()) - 1;
    double e = std::pow(1.0 - u, d);
    double g = 1.0;
    double sx = 0, sy = 0, sz = 0;
    double binomial = 1.0;  // C(d, i)
    for (int i = 0; i <= d; ++i) {
        const double weight = e * g * binomial;
        const Vec3& p = segment.points[static_cast<size_t>(i)];
        sx += weight * p.x;
        sy += weight * p.y;
        sz += weight * p.z;
        g *= u;
        e /= 1.0 - u;
        binomial = binomial * (d - i) / (i + 1);
    }
    if (!std::isfinite(sx) || !std::isfinite(sy) || !std::isfinite(sz)) return false;
    result = {toFloat(sx), toFloat(sy), toFloat(sz)};
    return true;
}

}  // namespace

void SplinePath::loadShape(const char* path, int shapeIndex) {
    std::unique_ptr<FILE, FileCloser> file(path && path[0] ? std::fopen(path, "r") : nullptr);
    if (!file) {
        if (!inMissingDataFolder(path)) std::fprintf(stderr, "File %s not found!\n", path ? path : "(no name)");
        return;
    }
    char line[kAseLineSize];
    int shapeLines = 0;
    while (readLine(file.get(), line)) {
        splitLine(line);
        if (!wordIs(0, "*SHAPEOBJECT")) continue;
        std::fputs("shapeobject found\n", aseProgressOut);
        // Only the first shape line of each object counts.
        bool found = false;
        while (!found && readLine(file.get(), line)) {
            splitLine(line);
            found = wordIs(0, "*SHAPE_LINE");
        }
        if (!found) return;
        if (shapeLines == shapeIndex) {
            readShapeLine(file.get(), segments);
            return;
        }
        shapeLines += 1;
    }
}

void SplinePath::scale(float factor) {
    for (BezierSegment& segment : segments)
        for (Vec3& p : segment.points) p = {p.x * factor, p.y * factor, p.z * factor};
}

Vec3 SplinePath::evaluate(float t) const {
    if (segments.empty()) return {};
    if (!std::isfinite(t)) t = 0.0f;
    const int n = static_cast<int>(segments.size());
    float v = static_cast<float>(n - 1) > t ? t : static_cast<float>(n - 1);
    if (v < 0) v = 0;
    const int index = static_cast<int>(v);
    // From the unclamped t: beyond either end the end segments extrapolate.
    const double u = static_cast<double>(t - static_cast<float>(index));
    const BezierSegment& segment = segments[static_cast<size_t>(index)];
    if (segment.points.empty()) return {};
    // At u = 1 the incremental weights would divide by zero.
    if (u == 1.0) return deCasteljau(segment, u);
    Vec3 p;
    return bernstein(segment, u, p) ? p : deCasteljau(segment, u);
}
