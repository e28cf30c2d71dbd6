// Mesh and path builders, and the model files written with them. The files
// are read back line by line with the scan formats the program's model and
// shape readers use, so what is checked here is what the program will see.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "ase/ase_writer.h"
#include "ase/shared_models.h"
#include "mesh/mesh.h"
#include "mesh/path.h"

namespace {

constexpr double kPi = 3.14159265358979;

// Every directed edge must appear once and its reverse once: a closed
// surface with consistent winding.
bool closedAndConsistent(const std::vector<std::array<int, 3>>& faces) {
    std::map<std::pair<int, int>, int> edges;
    for (const auto& f : faces)
        for (int k = 0; k < 3; ++k) ++edges[{f[k], f[(k + 1) % 3]}];
    for (const auto& [edge, count] : edges) {
        if (count != 1) return false;
        const auto back = edges.find({edge.second, edge.first});
        if (back == edges.end() || back->second != 1) return false;
    }
    return true;
}

struct ReadMesh {
    std::vector<std::array<float, 3>> vertices;  // program axes
    std::vector<std::array<int, 3>> faces;
    std::vector<std::array<float, 2>> texcoords;  // as stored: (u, 1 - v)
    std::vector<std::array<int, 3>> tfaces;
};

struct ReadModel {
    int materialCount = -1;
    int materialLines = 0;
    std::vector<std::string> bitmaps;
    std::vector<ReadMesh> meshes;
    size_t longestLine = 0;
};

// The texture name the program derives from a *BITMAP word.
std::string bitmapName(std::string word) {
    const size_t dot = [&] {
        for (size_t i = 0; i + 3 < word.size(); ++i) {
            if (word[i] == '.' && std::tolower(word[i + 1]) == 'j' && std::tolower(word[i + 2]) == 'p' &&
                std::tolower(word[i + 3]) == 'g')
                return i;
        }
        return std::string::npos;
    }();
    if (dot != std::string::npos) word.resize(dot + 4);
    const size_t slash = word.rfind('\\', dot);
    if (slash != std::string::npos)
        for (size_t i = 0; i <= slash; ++i) word[i] = ' ';
    char first[256] = "";
    std::sscanf(word.c_str(), "%255s", first);
    return first;
}

ReadModel readModel(const std::string& text) {
    ReadModel model;
    std::istringstream in(text);
    std::string line;
    auto next = [&] {
        std::getline(in, line);
        model.longestLine = std::max(model.longestLine, line.size() + 1);
        return line.c_str();
    };
    char w[8][256];
    auto split = [&](const char* format) {
        for (auto& word : w) word[0] = 0;
        std::sscanf(line.c_str(), format, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]);
    };
    const char* plain = "%255s %255s %255s %255s %255s";
    ReadMesh* mesh = nullptr;
    while (in.peek() != EOF) {
        next();
        split(plain);
        const std::string key = w[0];
        if (key == "*MATERIAL_COUNT") model.materialCount = std::atoi(w[1]);
        if (key == "*MATERIAL") ++model.materialLines;
        if (key == "*BITMAP") model.bitmaps.push_back(bitmapName(w[1]));
        if (key == "*GEOMOBJECT") mesh = &model.meshes.emplace_back();
        if (!mesh) continue;
        if (key == "*MESH_NUMVERTEX") mesh->vertices.resize(std::atoi(w[1]));
        if (key == "*MESH_NUMFACES") mesh->faces.resize(std::atoi(w[1]));
        if (key == "*MESH_NUMTVERTEX") mesh->texcoords.resize(std::atoi(w[1]));
        if (key == "*MESH_NUMTVFACES") mesh->tfaces.resize(std::atoi(w[1]));
        if (key == "*MESH_VERTEX_LIST") {
            for (auto& v : mesh->vertices) {
                next();
                split(plain);
                EXPECT_STREQ(w[0], "*MESH_VERTEX");
                v = {static_cast<float>(std::atof(w[2])), static_cast<float>(std::atof(w[4])),
                     -static_cast<float>(std::atof(w[3]))};
            }
        }
        if (key == "*MESH_FACE_LIST") {
            for (auto& f : mesh->faces) {
                next();
                EXPECT_EQ(line.find("*MESH_FACE"), line.find_first_not_of('\t'));
                split("%*s %*s %*s %255s %*s %255s %*s %255s");
                f = {std::atoi(w[0]), std::atoi(w[1]), std::atoi(w[2])};
            }
        }
        if (key == "*MESH_TVERTLIST") {
            for (auto& t : mesh->texcoords) {
                next();
                split("%255s %255s %255s %255s %255s %255s %255s %255s");
                EXPECT_STREQ(w[0], "*MESH_TVERT");
                t = {static_cast<float>(std::atof(w[2])), 1.0f - static_cast<float>(std::atof(w[3]))};
            }
        }
        if (key == "*MESH_TFACELIST") {
            for (auto& t : mesh->tfaces) {
                next();
                split("%255s %255s %255s %255s %255s %255s %255s %255s");
                EXPECT_STREQ(w[0], "*MESH_TFACE");
                t = {std::atoi(w[2]), std::atoi(w[3]), std::atoi(w[4])};
            }
        }
        if (key == "*MATERIAL_REF") mesh = nullptr;
    }
    return model;
}

// Checks common to the sky and the backdrop, in the program's axes: one
// closed mesh, every face turned towards the origin, texture coordinates
// that follow longitude and latitude with the top of the image at the top.
void checkEnclosure(const ReadModel& model, const char* bitmap, float minRadius, float maxRadius) {
    EXPECT_LT(model.longestLine, 255u);
    EXPECT_EQ(model.materialCount, 1);
    EXPECT_EQ(model.materialLines, 1);
    ASSERT_EQ(model.bitmaps.size(), 1u);
    EXPECT_EQ(model.bitmaps[0], bitmap);
    ASSERT_EQ(model.meshes.size(), 1u);
    const ReadMesh& m = model.meshes[0];
    ASSERT_EQ(m.faces.size(), m.tfaces.size());
    EXPECT_TRUE(closedAndConsistent(m.faces));
    for (const auto& v : m.vertices) {
        const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        EXPECT_GE(r, minRadius);
        EXPECT_LE(r, maxRadius);
    }
    for (size_t i = 0; i < m.faces.size(); ++i) {
        const auto& f = m.faces[i];
        for (int k : f) ASSERT_TRUE(k >= 0 && k < static_cast<int>(m.vertices.size()));
        for (int k : m.tfaces[i]) ASSERT_TRUE(k >= 0 && k < static_cast<int>(m.texcoords.size()));
        const auto &a = m.vertices[f[0]], &b = m.vertices[f[1]], &c = m.vertices[f[2]];
        const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const float centre[3] = {(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3, (a[2] + b[2] + c[2]) / 3};
        EXPECT_LT(n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2], 0) << "face " << i << " faces outwards";
        // Image row (stored v, 0 at the top) follows the polar angle from +y.
        for (int k = 0; k < 3; ++k) {
            const auto& p = m.vertices[f[k]];
            const double polar = std::acos(p[1] / std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]));
            EXPECT_NEAR(m.texcoords[m.tfaces[i][k]][1], polar / kPi, 0.02);
        }
    }
}

}  // namespace

TEST(ContentMeshes, ClosedShapesEncloseTheirVolumeFacingOutwards) {
    const Mesh sphere = makeSphere(2, 64, 32);
    EXPECT_TRUE(closedAndConsistent(sphere.faces));
    EXPECT_NEAR(signedVolume(sphere), 4.0 / 3.0 * kPi * 8, 0.05 * 4.0 / 3.0 * kPi * 8);
    EXPECT_EQ(sphere.vertices.size(), 64u * 31 + 2) << "one shared vertex per pole";
    const Mesh torus = makeTorus(3, 1, 64, 32);
    EXPECT_TRUE(closedAndConsistent(torus.faces));
    EXPECT_NEAR(signedVolume(torus), 2 * kPi * kPi * 3, 0.02 * 2 * kPi * kPi * 3);
    const Mesh box = makeBox(1, 2, 3);
    EXPECT_TRUE(closedAndConsistent(box.faces));
    EXPECT_EQ(box.vertices.size(), 8u);
    EXPECT_NEAR(signedVolume(box), 6, 1e-4);
    // An L: concave, so the caps need ear clipping to come out right.
    const std::vector<Point2> ell = {{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 2}, {0, 2}};
    const Mesh prism = extrudeOutline(ell, 2);
    EXPECT_TRUE(closedAndConsistent(prism.faces));
    EXPECT_NEAR(signedVolume(prism), 4 * 2, 1e-4);
    Mesh inside = makeBox(1, 1, 1);
    turnInsideOut(inside);
    EXPECT_NEAR(signedVolume(inside), -1, 1e-5);
    for (const Mesh* m : {&sphere, &torus, &box, &prism}) {
        ASSERT_EQ(m->faces.size(), m->texFaces.size());
        for (const Point2& t : m->texVertices) {
            EXPECT_TRUE(t.x >= 0 && t.x <= 1 && t.y >= 0 && t.y <= 1);
        }
    }
}

TEST(ContentMeshes, EarClippingCoversConcavePolygonsExactly) {
    const std::vector<Point2> star = {{0, 3}, {-1, 1}, {-3, 1}, {-1.5f, -0.5f}, {-2, -3}, {0, -1.5f}, {2, -3}, {1.5f, -0.5f}, {3, 1}, {1, 1}};
    // Counter-clockwise order is required; this star is listed that way.
    double shoelace = 0;
    for (size_t i = 0; i < star.size(); ++i) {
        const Point2 a = star[i], b = star[(i + 1) % star.size()];
        shoelace += a.x * b.y - b.x * a.y;
    }
    ASSERT_GT(shoelace, 0);
    const auto triangles = triangulatePolygon(star);
    EXPECT_EQ(triangles.size(), star.size() - 2);
    double area = 0;
    for (const auto& t : triangles) {
        const Point2 a = star[t[0]], b = star[t[1]], c = star[t[2]];
        const double twice = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        EXPECT_GT(twice, 0);
        area += twice / 2;
    }
    EXPECT_NEAR(area, shoelace / 2, 1e-4);
}

TEST(ContentPaths, SmoothPathsPassThroughEveryPointWithMatchingTangents) {
    const std::vector<Point3> points = {{0, 0, 0}, {10, 5, 0}, {20, 0, 3}, {25, -8, 1}};
    const std::vector<PathVertex> path = smoothPath(points);
    ASSERT_EQ(path.size(), 3 * points.size() - 2);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_TRUE(path[3 * i].knot);
        EXPECT_FLOAT_EQ(path[3 * i].point.x, points[i].x);
        if (i + 1 < points.size()) {
            EXPECT_FALSE(path[3 * i + 1].knot || path[3 * i + 2].knot);
        }
    }
    // The control points on either side of an inner knot are in line with it.
    const Point3 before = path[2].point, knot = path[3].point, after = path[4].point;
    const float ax = knot.x - before.x, ay = knot.y - before.y, bx = after.x - knot.x, by = after.y - knot.y;
    EXPECT_NEAR(ax * by - ay * bx, 0, 1e-3);
    EXPECT_GT(ax * bx + ay * by, 0);
    const std::vector<Point3> segment = {path[0].point, path[1].point, path[2].point, path[3].point};
    EXPECT_FLOAT_EQ(bezierPoint(segment, 1).y, 5);
    const std::vector<Point3> ring = circlePoints(2, 4, 1);
    EXPECT_NEAR(ring[1].x, 0, 1e-6);
    EXPECT_FLOAT_EQ(ring[1].y, 2);
    EXPECT_FLOAT_EQ(ring[3].z, 1);
}

TEST(ContentAse, ShapeLinesGiveTheirCountOnTheNextLineAndKnotsEveryThirdRow) {
    AseScene scene;
    scene.sceneName = "paths";
    scene.shapes.push_back({"Line01", {smoothPath({{0, 0, 0}, {1, 2, 3}, {4, 4, 4}})}});
    scene.shapes.push_back({"Line02", {smoothPath({{5, 5, 5}, {6, 6, 6}})}});
    const std::string text = writeAse(scene);
    std::istringstream in(text);
    std::string line;
    int shapes = 0;
    while (std::getline(in, line)) {
        char w0[256] = "", w1[256] = "";
        std::sscanf(line.c_str(), "%255s %255s", w0, w1);
        if (std::strcmp(w0, "*SHAPEOBJECT") == 0) ++shapes;
        if (std::strcmp(w0, "*SHAPE_LINE") != 0) continue;
        std::getline(in, line);
        std::sscanf(line.c_str(), "%255s %255s", w0, w1);
        EXPECT_STREQ(w0, "*SHAPE_VERTEXCOUNT");
        const int count = std::atoi(w1);
        for (int j = 0; j < count; ++j) {
            std::getline(in, line);
            char x[256], y[256], z[256];
            ASSERT_EQ(std::sscanf(line.c_str(), "%255s %255s %255s %255s %255s", w0, w1, x, y, z), 5);
            EXPECT_STREQ(w0, j % 3 == 0 ? "*SHAPE_VERTEX_KNOT" : "*SHAPE_VERTEX_INTERP");
            EXPECT_EQ(std::atoi(w1), j);
        }
    }
    EXPECT_EQ(shapes, 2);
    EXPECT_EQ(text.rfind("*3DSMAX_ASCIIEXPORT", 0), 0u);
    EXPECT_EQ(text.find("-0.0000"), std::string::npos);
}

TEST(ContentAse, SkySphereIsSeenFromInsideAndWearsTheNebula) {
    const ReadModel model = readModel(writeAse(skySphereScene()));
    checkEnclosure(model, "nebula.jpg", 499.9f, 500.1f);
}

TEST(ContentAse, BackdropEnclosesEveryCameraAndWearsTheSecondNebula) {
    const ReadModel model = readModel(writeAse(backdropScene()));
    // Scene 6 orbits up to 100 units out; scaled by 5 it must hold the
    // 470-unit flight of scene 7 and stay inside the 3000-unit far plane.
    checkEnclosure(model, "nebula2.jpg", 269, 331);
    EXPECT_GT(5 * 269, 470 + 100);
    EXPECT_LT(5 * 331, 3000);
}
