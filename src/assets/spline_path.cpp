#include "assets/spline_path.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "assets/ase_text.h"
#include "assets/data_file.h"
#include "assets/data_folders.h"

namespace {

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
// Returns what was wrong with them, or nothing.
std::string readShapeLine(AseText& text, int shapeIndex, std::vector<BezierSegment>& segments) {
    const std::string shape = "shape " + std::to_string(shapeIndex);
    char line[kAseLineSize];
    if (!readLine(text, line)) return shape + " ends before its vertex count";
    splitLine(line);
    const int32_t vertexCount = wordInt(1);
    std::vector<Vec3> gathered;
    const size_t segmentsBefore = segments.size();
    for (int32_t j = 0; j < vertexCount; ++j) {
        if (!readLine(text, line)) return shape + " announces more vertices than the file holds";
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
    // The scenes take a path for granted; without a segment it stays at the origin.
    if (segments.size() == segmentsBefore) return shape + " has no segment (fewer than two knots); its path stays at the origin";
    return {};
}

// Up to this degree the incremental Bernstein weights below stay accurate
// for every parameter a float gives: (1 - u)^d cannot underflow while
// 1 - u >= 2^-24. Ordinary shapes have a handful of points per segment.
constexpr int kDirectDegree = 40;

// Past the mode the weights fall off faster than geometrically; once one is
// this small beside the largest, the rest of that side adds nothing a
// double can hold.
constexpr double kNegligibleWeight = 1e-18;

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

// The Bernstein sum for any degree, with every weight taken relative to the
// largest one (at the mode of the binomial distribution) and built outward
// from it by the ratio of neighbours, so nothing overflows or underflows
// where it matters; the weights too small to count are never visited.
// Linear in the degree at worst, about twenty standard deviations of terms
// (a few hundred for thousands of points) in practice.
Vec3 scaledBernstein(const BezierSegment& segment, double u) {
    const std::vector<Vec3>& points = segment.points;
    const int d = static_cast<int>(points.size()) - 1;
    const double a = std::fabs(1.0 - u), b = std::fabs(u);
    // Beyond either end the weights alternate in sign: neighbours differ by
    // sign(u) / sign(1 - u).
    const double flip = ((u < 0) != (1.0 - u < 0)) ? -1.0 : 1.0;
    const int mode = std::clamp(static_cast<int>(std::floor((d + 1) * (b / (a + b)))), 0, d);
    double sx = 0, sy = 0, sz = 0, total = 0;
    const auto add = [&](int i, double w) {
        const Vec3& p = points[static_cast<size_t>(i)];
        sx += w * p.x;
        sy += w * p.y;
        sz += w * p.z;
        total += w;
    };
    add(mode, 1.0);
    double w = 1.0;
    for (int i = mode; i < d && std::fabs(w) > kNegligibleWeight; ++i) {
        w *= flip * (static_cast<double>(d - i) / (i + 1)) * (b / a);
        add(i + 1, w);
    }
    w = 1.0;
    for (int i = mode; i > 0 && std::fabs(w) > kNegligibleWeight; --i) {
        w *= flip * (static_cast<double>(i) / (d - i + 1)) * (a / b);
        add(i - 1, w);
    }
    if (u >= 0.0 && u <= 1.0) {
        // The weights of a Bezier curve sum to 1: dividing by their sum undoes
        // the scaling exactly.
        return {toFloat(sx / total), toFloat(sy / total), toFloat(sz / total)};
    }
    // Outside, their signed sum cancels; the scale comes from the largest
    // weight itself, C(d, mode) |1 - u|^(d - mode) |u|^mode, as a logarithm.
    const double logScale = std::lgamma(d + 1.0) - std::lgamma(mode + 1.0) - std::lgamma(d - mode + 1.0) +
                            (d - mode) * std::log(a) + mode * std::log(b);
    const double sign = ((d - mode) % 2 == 1 && 1.0 - u < 0) != (mode % 2 == 1 && u < 0) ? -1.0 : 1.0;
    const double scale = sign * std::exp(std::min(logScale, 1000.0));
    const auto scaled = [&](double s) { return s == 0.0 ? 0.0f : toFloat(s * scale); };
    return {scaled(sx), scaled(sy), scaled(sz)};
}

}  // namespace

void SplinePath::loadShape(const char* path, int shapeIndex) {
    const std::shared_ptr<const AseFile> file = openAseFile(path);
    if (!file) return;
    try {
        loadShape(*file, path, shapeIndex);
    } catch (const std::bad_alloc&) {
        reportFileProblem(path, kNoMemoryToRead, "its path stays as far as it was read");
    }
}

void SplinePath::loadShape(const AseFile& file, const std::string& name, int shapeIndex) {
    AseText text(file);
    char line[kAseLineSize];
    int shapeLines = 0;
    std::string problems;
    for (;;) {
        if (!readLine(text, line)) {
            // Said the same way for every shape the file lacks: one line.
            problems = "has only " + std::to_string(shapeLines) +
                       " shape objects, fewer than the program reads; the paths beyond stay at the origin";
            break;
        }
        splitLine(line);
        if (!wordIs(0, "*SHAPEOBJECT")) continue;
        std::fputs("shapeobject found\n", aseProgressOut);
        // Only the first shape line of each object counts.
        bool found = false;
        while (!found && readLine(text, line)) {
            splitLine(line);
            found = wordIs(0, "*SHAPE_LINE");
        }
        if (!found) {
            problems = "shape object " + std::to_string(shapeLines) + " has no shape line";
            break;
        }
        if (shapeLines == shapeIndex) {
            problems = readShapeLine(text, shapeIndex, segments);
            break;
        }
        shapeLines += 1;
    }
    reportAseProblems(file, name, problems);
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
    // At u = 1 the incremental weights would divide by zero; the curve ends
    // at its last point (+ 0 gives a computed end's zero sign: 0, not -0).
    if (u == 1.0) {
        const Vec3& end = segment.points.back();
        return {end.x + 0.0f, end.y + 0.0f, end.z + 0.0f};
    }
    Vec3 p;
    if (segment.points.size() <= kDirectDegree + 1 && bernstein(segment, u, p)) return p;
    return scaledBernstein(segment, u);
}
