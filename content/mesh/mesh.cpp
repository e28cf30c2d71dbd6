#include "mesh/mesh.h"

#include <cmath>
#include <map>
#include <tuple>

namespace {

constexpr float kTwoPi = 6.2831853f;

Point3 operator+(Point3 a, Point3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

int addTex(Mesh& m, float u, float v) {
    m.texVertices.push_back({u, v});
    return static_cast<int>(m.texVertices.size()) - 1;
}

// Shares vertices that land on exactly the same spot, so flat-sided meshes
// come out closed.
class VertexPool {
public:
    explicit VertexPool(Mesh& mesh) : mesh_(mesh) {}
    int at(Point3 p) {
        const auto key = std::make_tuple(p.x, p.y, p.z);
        const auto found = index_.find(key);
        if (found != index_.end()) return found->second;
        mesh_.vertices.push_back(p);
        const int i = static_cast<int>(mesh_.vertices.size()) - 1;
        index_.emplace(key, i);
        return i;
    }

private:
    Mesh& mesh_;
    std::map<std::tuple<float, float, float>, int> index_;
};

// A quad p, p + e1, p + e1 + e2, p + e2, counter-clockwise seen from the
// side e1 x e2 points to, with the given texture corners.
void addQuad(Mesh& m, VertexPool& pool, Point3 p, Point3 e1, Point3 e2, Point2 t0, Point2 t1, Point2 t2, Point2 t3) {
    const int v0 = pool.at(p), v1 = pool.at(p + e1), v2 = pool.at(p + e1 + e2), v3 = pool.at(p + e2);
    const int a = addTex(m, t0.x, t0.y), b = addTex(m, t1.x, t1.y), c = addTex(m, t2.x, t2.y),
              d = addTex(m, t3.x, t3.y);
    m.faces.push_back({v0, v1, v2});
    m.texFaces.push_back({a, b, c});
    m.faces.push_back({v0, v2, v3});
    m.texFaces.push_back({a, c, d});
}

float cross2(Point2 o, Point2 a, Point2 b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

bool insideTriangle(Point2 p, Point2 a, Point2 b, Point2 c) {
    return cross2(a, b, p) >= 0 && cross2(b, c, p) >= 0 && cross2(c, a, p) >= 0;
}

// The revolution proper; a closed profile (a torus) reuses its first row
// for its last.
Mesh revolve(const std::vector<ProfilePoint>& profile, int segments, bool closed) {
    Mesh m;
    const int rows = static_cast<int>(profile.size());
    const int geometryRows = closed ? rows - 1 : rows;
    std::vector<int> firstVertex(rows), firstTex(rows);
    std::vector<bool> pole(rows);
    for (int j = 0; j < rows; ++j) {
        const ProfilePoint& p = profile[j];
        pole[j] = p.radius == 0;
        if (j < geometryRows) {
            firstVertex[j] = static_cast<int>(m.vertices.size());
            if (pole[j]) {
                m.vertices.push_back({0, 0, p.height});
            } else {
                for (int i = 0; i < segments; ++i) {
                    const float a = kTwoPi * i / segments;
                    m.vertices.push_back({p.radius * std::cos(a), p.radius * std::sin(a), p.height});
                }
            }
        } else {
            firstVertex[j] = firstVertex[0];
        }
        firstTex[j] = static_cast<int>(m.texVertices.size());
        const float v = 1.0f - static_cast<float>(j) / (rows - 1);
        // A pole gets one texture vertex per segment, in the middle of it.
        if (pole[j]) {
            for (int i = 0; i < segments; ++i) addTex(m, (i + 0.5f) / segments, v);
        } else {
            for (int i = 0; i <= segments; ++i) addTex(m, static_cast<float>(i) / segments, v);
        }
    }
    auto vertex = [&](int j, int i) { return pole[j] ? firstVertex[j] : firstVertex[j] + i % segments; };
    auto tex = [&](int j, int i) { return firstTex[j] + i; };
    for (int j = 0; j + 1 < rows; ++j) {
        for (int i = 0; i < segments; ++i) {
            const int a = vertex(j, i), b = vertex(j + 1, i), c = vertex(j + 1, i + 1), d = vertex(j, i + 1);
            const int ta = tex(j, i), tb = tex(j + 1, i), tc = tex(j + 1, i + 1), td = tex(j, i + 1);
            if (!pole[j + 1]) {
                m.faces.push_back({a, b, c});
                m.texFaces.push_back({ta, tb, tc});
            }
            if (!pole[j]) {
                m.faces.push_back({a, pole[j + 1] ? b : c, d});
                m.texFaces.push_back({ta, pole[j + 1] ? tb : tc, td});
            }
        }
    }
    return m;
}

}  // namespace

Mesh revolveProfile(const std::vector<ProfilePoint>& profile, int segments) { return revolve(profile, segments, false); }

Mesh makeSphere(float radius, int segments, int rings) {
    std::vector<ProfilePoint> profile;
    for (int j = 0; j <= rings; ++j) {
        const float polar = kTwoPi * 0.5f * j / rings;
        // Exact zeros at the poles make them single vertices.
        const float r = (j == 0 || j == rings) ? 0.0f : radius * std::sin(polar);
        profile.push_back({r, radius * std::cos(polar)});
    }
    return revolve(profile, segments, false);
}

Mesh makeTorus(float major, float minor, int segments, int sides) {
    // Clockwise in (radius, height) from the top of the tube, so the walk
    // goes down its outer side first, as revolve expects of an outer wall.
    std::vector<ProfilePoint> profile;
    for (int k = 0; k <= sides; ++k) {
        const float a = kTwoPi * 0.25f - kTwoPi * k / sides;
        profile.push_back({major + minor * std::cos(a), minor * std::sin(a)});
    }
    return revolve(profile, segments, true);
}

Mesh makeBox(float sizeX, float sizeY, float sizeZ) {
    Mesh m;
    VertexPool pool(m);
    const float hx = sizeX / 2, hy = sizeY / 2, hz = sizeZ / 2;
    const Point2 t0{0, 0}, t1{1, 0}, t2{1, 1}, t3{0, 1};
    addQuad(m, pool, {hx, -hy, -hz}, {0, sizeY, 0}, {0, 0, sizeZ}, t0, t1, t2, t3);
    addQuad(m, pool, {-hx, hy, -hz}, {0, -sizeY, 0}, {0, 0, sizeZ}, t0, t1, t2, t3);
    addQuad(m, pool, {hx, hy, -hz}, {-sizeX, 0, 0}, {0, 0, sizeZ}, t0, t1, t2, t3);
    addQuad(m, pool, {-hx, -hy, -hz}, {sizeX, 0, 0}, {0, 0, sizeZ}, t0, t1, t2, t3);
    addQuad(m, pool, {-hx, -hy, hz}, {sizeX, 0, 0}, {0, sizeY, 0}, t0, t1, t2, t3);
    addQuad(m, pool, {-hx, hy, -hz}, {sizeX, 0, 0}, {0, -sizeY, 0}, t0, t1, t2, t3);
    return m;
}

Mesh extrudeOutline(const std::vector<Point2>& outline, float depth) {
    Mesh m;
    VertexPool pool(m);
    const int n = static_cast<int>(outline.size());
    if (n < 3) return m;
    float minX = outline[0].x, maxX = minX, minY = outline[0].y, maxY = minY, perimeter = 0;
    for (int k = 0; k < n; ++k) {
        const Point2 p = outline[k], q = outline[(k + 1) % n];
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        perimeter += std::hypot(q.x - p.x, q.y - p.y);
    }
    const float spanX = maxX > minX ? maxX - minX : 1, spanY = maxY > minY ? maxY - minY : 1;
    // Caps: the top as the outline winds, the bottom reversed.
    for (const auto& tri : triangulatePolygon(outline)) {
        for (int side = 0; side < 2; ++side) {
            const float z = side == 0 ? depth : 0;
            std::array<int, 3> face{}, texFace{};
            for (int k = 0; k < 3; ++k) {
                const Point2 p = outline[tri[side == 0 ? k : 2 - k]];
                face[k] = pool.at({p.x, p.y, z});
                texFace[k] = addTex(m, (p.x - minX) / spanX, (p.y - minY) / spanY);
            }
            m.faces.push_back(face);
            m.texFaces.push_back(texFace);
        }
    }
    float walked = 0;
    for (int k = 0; k < n; ++k) {
        const Point2 p = outline[k], q = outline[(k + 1) % n];
        const float length = std::hypot(q.x - p.x, q.y - p.y);
        const float u0 = walked / perimeter, u1 = (walked + length) / perimeter;
        addQuad(m, pool, {p.x, p.y, 0}, {q.x - p.x, q.y - p.y, 0}, {0, 0, depth}, {u0, 0}, {u1, 0}, {u1, 1}, {u0, 1});
        walked += length;
    }
    return m;
}

void turnInsideOut(Mesh& mesh) {
    for (auto& f : mesh.faces) std::swap(f[1], f[2]);
    for (auto& f : mesh.texFaces) std::swap(f[1], f[2]);
}

void translate(Mesh& mesh, float dx, float dy, float dz) {
    for (Point3& p : mesh.vertices) p = p + Point3{dx, dy, dz};
}

void append(Mesh& mesh, const Mesh& other) {
    const int vBase = static_cast<int>(mesh.vertices.size()), tBase = static_cast<int>(mesh.texVertices.size());
    mesh.vertices.insert(mesh.vertices.end(), other.vertices.begin(), other.vertices.end());
    mesh.texVertices.insert(mesh.texVertices.end(), other.texVertices.begin(), other.texVertices.end());
    for (const auto& f : other.faces) mesh.faces.push_back({f[0] + vBase, f[1] + vBase, f[2] + vBase});
    for (const auto& f : other.texFaces) mesh.texFaces.push_back({f[0] + tBase, f[1] + tBase, f[2] + tBase});
}

double signedVolume(const Mesh& mesh) {
    double sum = 0;
    for (const auto& f : mesh.faces) {
        const Point3 a = mesh.vertices[f[0]], b = mesh.vertices[f[1]], c = mesh.vertices[f[2]];
        sum += double(a.x) * (double(b.y) * c.z - double(b.z) * c.y) - double(a.y) * (double(b.x) * c.z - double(b.z) * c.x) +
               double(a.z) * (double(b.x) * c.y - double(b.y) * c.x);
    }
    return sum / 6;
}

std::vector<std::array<int, 3>> triangulatePolygon(const std::vector<Point2>& polygon) {
    std::vector<std::array<int, 3>> out;
    std::vector<int> left;
    for (int i = 0; i < static_cast<int>(polygon.size()); ++i) left.push_back(i);
    while (left.size() > 3) {
        const int n = static_cast<int>(left.size());
        bool clipped = false;
        for (int i = 0; i < n && !clipped; ++i) {
            const int ia = left[(i + n - 1) % n], ib = left[i], ic = left[(i + 1) % n];
            const Point2 a = polygon[ia], b = polygon[ib], c = polygon[ic];
            if (cross2(a, b, c) <= 0) continue;  // reflex or flat corner
            bool empty = true;
            for (int k : left) {
                if (k != ia && k != ib && k != ic && insideTriangle(polygon[k], a, b, c)) {
                    empty = false;
                    break;
                }
            }
            if (!empty) continue;
            out.push_back({ia, ib, ic});
            left.erase(left.begin() + i);
            clipped = true;
        }
        // A polygon that is not simple has no ear left: stop rather than loop.
        if (!clipped) return out;
    }
    if (left.size() == 3) out.push_back({left[0], left[1], left[2]});
    return out;
}
