#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "assets/spline_path.h"
#include "support/ase_files.h"
#include "support/temp_dir.h"

namespace {

struct Row {
    bool knot;
    float x, y, z;
};

std::string shapeObject(const std::vector<std::vector<Row>>& lines) {
    std::string s = "*SHAPEOBJECT {\n\t*NODE_NAME \"Line01\"\n\t*SHAPE_LINECOUNT " + std::to_string(lines.size()) + "\n";
    for (size_t l = 0; l < lines.size(); ++l) {
        s += "\t*SHAPE_LINE " + std::to_string(l) + " {\n\t\t*SHAPE_VERTEXCOUNT " + std::to_string(lines[l].size()) + "\n";
        for (size_t i = 0; i < lines[l].size(); ++i) {
            const Row& r = lines[l][i];
            char row[160];
            std::snprintf(row, sizeof row, "\t\t%s %zu\t%.4f\t%.4f\t%.4f\n",
                          r.knot ? "*SHAPE_VERTEX_KNOT" : "*SHAPE_VERTEX_INTERP", i, r.x, r.y, r.z);
            s += row;
        }
        s += "\t}\n";
    }
    return s + "}\n";
}

void expectPoint(const Vec3& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-4f);
    EXPECT_NEAR(p.y, y, 1e-4f);
    EXPECT_NEAR(p.z, z, 1e-4f);
}

class SplinePathTest : public ::testing::Test {
protected:
    SplinePath& load(const std::string& text, int index) {
        writeTextFile(dir / "shape.ase", text);
        CapturedProgress capture;
        path.loadShape((dir / "shape.ase").c_str(), index);
        progress = capture.text();
        return path;
    }

    TempDir dir;
    SplinePath path;
    std::string progress;
};

TEST_F(SplinePathTest, KnotsCloseSegmentsOfTheirIntermediateVertices) {
    // File points; the program stores (x, z, -y).
    load(shapeObject({{{true, 0, 0, 0}, {false, 1, 0, 0}, {false, 2, 0, 0}, {true, 3, 0, 0},
                       {false, 3, 1, 0}, {false, 3, 2, 0}, {true, 3, 3, 0}}}),
         0);
    ASSERT_EQ(path.segmentCount(), 2);
    ASSERT_EQ(path.segments[0].count, 4);
    ASSERT_EQ(path.segments[1].count, 4);
    expectPoint(path.segments[0].points[1], 1, 0, 0);
    expectPoint(path.segments[0].points[3], 3, 0, 0);
    expectPoint(path.segments[1].points[0], 3, 0, 0);
    expectPoint(path.segments[1].points[2], 3, 0, -2);
    expectPoint(path.segments[1].points[3], 3, 0, -3);

    expectPoint(path.evaluate(0), 0, 0, 0);
    expectPoint(path.evaluate(1), 3, 0, 0);  // first knot of segment 1, last of segment 0
    // Points on a straight control polygon with even spacing move evenly.
    expectPoint(path.evaluate(0.5f), 1.5f, 0, 0);
    expectPoint(path.evaluate(1.5f), 3, 0, -1.5f);
    // u = 1 exactly: the last knot, with no division by zero.
    expectPoint(path.evaluate(2), 3, 0, -3);
    // Outside the range the end segments extrapolate their polynomial.
    expectPoint(path.evaluate(-0.5f), -1.5f, 0, 0);
    expectPoint(path.evaluate(2.5f), 3, 0, -4.5f);

    EXPECT_EQ(progress,
              "shapeobject found\n(0.000000, 0.000000, 0.000000)\n(1.000000, 0.000000, 0.000000)\n"
              "(2.000000, 0.000000, 0.000000)\n(3.000000, 0.000000, 0.000000)\n(3.000000, 1.000000, 0.000000)\n"
              "(3.000000, 2.000000, 0.000000)\n(3.000000, 3.000000, 0.000000)\n");
}

TEST_F(SplinePathTest, CubicSegmentFollowsTheBernsteinForm) {
    load(shapeObject({{{true, 0, 0, 0}, {false, 0, 0, 3}, {false, 3, 0, 3}, {true, 3, 0, 0}}}), 0);
    ASSERT_EQ(path.segmentCount(), 1);
    // Bezier (0,0,0) (0,3,0) (3,3,0) (3,0,0) in program axes.
    const auto bezier = [](float u, float a, float b, float c, float d) {
        const float v = 1 - u;
        return v * v * v * a + 3 * v * v * u * b + 3 * v * u * u * c + u * u * u * d;
    };
    for (float t : {0.0f, 0.25f, 0.5f, 0.8f, 1.0f, 1.5f, -0.5f}) {
        const Vec3 p = path.evaluate(t);
        EXPECT_NEAR(p.x, bezier(t, 0, 0, 3, 3), 1e-4f) << t;
        EXPECT_NEAR(p.y, bezier(t, 0, 3, 3, 0), 1e-4f) << t;
        EXPECT_NEAR(p.z, 0, 1e-4f) << t;
    }
}

TEST_F(SplinePathTest, TwoKnotsMakeOneStraightSegment) {
    load(shapeObject({{{true, 1, 2, 3}, {true, 3, 4, 5}}}), 0);
    ASSERT_EQ(path.segmentCount(), 1);
    ASSERT_EQ(path.segments[0].count, 2);
    expectPoint(path.evaluate(0), 1, 3, -2);
    expectPoint(path.evaluate(0.5f), 2, 4, -3);
    path.scale(0.1f);
    expectPoint(path.evaluate(0), 0.1f, 0.3f, -0.2f);
}

TEST_F(SplinePathTest, PointsAfterTheLastKnotMakeNoSegment) {
    load(shapeObject({{{false, 9, 9, 9}, {true, 0, 0, 0}, {true, 1, 0, 0}, {false, 5, 5, 5}}}), 0);
    ASSERT_EQ(path.segmentCount(), 2);
    EXPECT_EQ(path.segments[0].count, 2);  // the leading vertex and the first knot
    expectPoint(path.segments[1].points[1], 1, 0, 0);
}

TEST_F(SplinePathTest, IndexCountsOnlyTheFirstLineOfEachObject) {
    const std::string text = shapeObject({{{true, 0, 0, 0}, {true, 1, 0, 0}}, {{true, 7, 0, 0}, {true, 8, 0, 0}}}) +
                             shapeObject({{{true, 2, 0, 0}, {true, 3, 0, 0}}}) +
                             shapeObject({{{true, 4, 0, 0}, {true, 5, 0, 0}}});
    load(text, 1);
    ASSERT_EQ(path.segmentCount(), 1);
    expectPoint(path.evaluate(0), 2, 0, 0);
    EXPECT_EQ(progress, "shapeobject found\nshapeobject found\n(2.000000, 0.000000, 0.000000)\n(3.000000, 0.000000, 0.000000)\n");

    // Loading appends to what the path holds.
    load(text, 2);
    EXPECT_EQ(path.segmentCount(), 2);
    expectPoint(path.evaluate(1), 4, 0, 0);

    SplinePath missing;
    CapturedProgress capture;
    missing.loadShape((dir / "shape.ase").c_str(), 3);
    EXPECT_EQ(missing.segmentCount(), 0);
    EXPECT_EQ(capture.text(), "shapeobject found\nshapeobject found\nshapeobject found\n");
    expectPoint(missing.evaluate(0.5f), 0, 0, 0);
}

TEST_F(SplinePathTest, MissingCutAndEmptyShapesAreNamed) {
    const std::string two = shapeObject({{{true, 0, 0, 0}, {true, 1, 0, 0}}}) + shapeObject({{{true, 2, 0, 0}}});
    const std::string name = (dir / "shape.ase").string() + ": ";
    const auto said = [&](const std::string& text, std::vector<int> indices) {
        testing::internal::CaptureStderr();
        for (int index : indices) load(text, index);
        std::string s = testing::internal::GetCapturedStderr();
        for (size_t at; (at = s.find(name)) != std::string::npos;) s.replace(at, name.size(), "");
        return s;
    };
    EXPECT_EQ(said(two, {0}), "");
    // However many shapes are asked for beyond the end, one line.
    EXPECT_EQ(said(two, {2, 3, 7}),
              "afterglow: has only 2 shape objects, fewer than the program reads; the paths beyond stay at the origin\n");
    EXPECT_EQ(said(two, {1}), "afterglow: shape 1 has no segment (fewer than two knots); its path stays at the origin\n");
    EXPECT_EQ(said("*SHAPEOBJECT {\n*SHAPE_LINE 0 {\n*SHAPE_VERTEXCOUNT 9\n*SHAPE_VERTEX_KNOT 0 1 2 3\n}\n}\n", {0}),
              "afterglow: shape 0 announces more vertices than the file holds\n");
    EXPECT_EQ(said(two.substr(0, two.size() / 2), {0, 1}),
              "afterglow: ends inside an open block (the file is cut short); what comes before is read\n");
}

// One segment of n control points: x = i / d, y = (i / d)^2 and a wavy z,
// with d = n - 1. Bernstein sums reproduce x as u and y as
// u^2 + u (1 - u) / d; z is checked against de Casteljau in long double.
SplinePath longSegment(int n) {
    const int d = n - 1;
    BezierSegment segment;
    for (int i = 0; i < n; ++i) {
        const float s = static_cast<float>(i) / static_cast<float>(d);
        segment.points.push_back({s, s * s, std::sin(static_cast<float>(i) * 0.37f)});
    }
    segment.count = n;
    SplinePath path;
    path.segments.push_back(segment);
    return path;
}

long double deCasteljauZ(const SplinePath& path, long double u) {
    std::vector<long double> z;
    for (const Vec3& p : path.segments[0].points) z.push_back(p.z);
    for (size_t level = z.size(); level > 1; --level)
        for (size_t i = 0; i + 1 < level; ++i) z[i] += (z[i + 1] - z[i]) * u;
    return z[0];
}

TEST(SplineEvaluation, SegmentsOfEveryDegreeStayOnTheirCurve) {
    for (int n : {2, 4, 20, 41, 42, 60, 200, 1500}) {
        const SplinePath path = longSegment(n);
        const double d = n - 1;
        for (double u : {0.0, 1e-7, 0.01, 0.25, 0.5, 0.77, 0.999, 1.0 - 1e-7}) {
            SCOPED_TRACE("n " + std::to_string(n) + " u " + std::to_string(u));
            const Vec3 p = path.evaluate(static_cast<float>(u));
            const double uf = static_cast<float>(u);  // what the path is asked for
            EXPECT_NEAR(p.x, uf, 2e-6);
            EXPECT_NEAR(p.y, uf * uf + uf * (1 - uf) / d, 2e-6);
            if (n <= 200) {
                EXPECT_NEAR(p.z, static_cast<double>(deCasteljauZ(path, uf)), 2e-6);
            }
        }
        // The curve ends at its last point exactly.
        EXPECT_EQ(path.evaluate(1.0f).x, 1.0f);
    }
}

TEST(SplineEvaluation, ThousandsOfPointsBetweenTwoKnotsStayOnTheCurveAndFinite) {
    const SplinePath path = longSegment(20001);
    for (float u : {0.0f, 0.3f, 0.5f, 0.9999f}) {
        const Vec3 p = path.evaluate(u);
        EXPECT_NEAR(p.x, u, 2e-6) << u;
        EXPECT_NEAR(p.y, u * u + u * (1 - u) / 20000.0, 2e-6) << u;
    }
    // Far outside the polynomial's values leave any range; they stay finite.
    for (float t : {-0.5f, 1.5f, -1e6f, 1e30f}) {
        const Vec3 p = path.evaluate(t);
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << t;
    }
}

}  // namespace
