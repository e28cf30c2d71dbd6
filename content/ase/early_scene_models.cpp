#include "ase/early_scene_models.h"

#include <cmath>

#include "image/image_file.h"

namespace {

constexpr float kPi = 3.14159265f;

// Program axes (y up) to exporter axes (z up): the reader maps a file point
// (x, y, z) to (x, z, -y), so this is its inverse. A rotation, so windings
// keep their sense.
Point3 toFile(Point3 p) { return {p.x, -p.z, p.y}; }

void meshToFile(Mesh& mesh) {
    for (Point3& v : mesh.vertices) v = toFile(v);
}

// A path through program-axis points, smoothed, written at 1 / scale.
AseShape pathShape(const std::string& name, const std::vector<Point3>& points, float scale) {
    std::vector<Point3> file;
    for (const Point3& p : points) file.push_back(toFile({p.x / scale, p.y / scale, p.z / scale}));
    return {name, {smoothPath(file)}};
}

AseScene pathScene(const std::string& sceneName, const std::vector<Point3>& points, float scale) {
    AseScene scene;
    scene.sceneName = sceneName;
    scene.shapes.push_back(pathShape(sceneName, points, scale));
    return scene;
}

// --- The opening flight -------------------------------------------------

// Sixteen knots, fifteen segments: the scene reads parameters 0 to 14. The
// path wanders inside 16 units of the field's centre at 3 to 8 units up, so
// every camera path (kept 24 to 30 units out) sees it from 10 to 40 away.
std::vector<Point3> flightPoints() {
    std::vector<Point3> points;
    for (int k = 0; k < 16; ++k) {
        const float a = 0.9f * static_cast<float>(k);
        const float r = 9.0f + 6.0f * std::sin(1.7f * static_cast<float>(k));
        const float y = 5.5f + 2.5f * std::sin(1.3f * static_cast<float>(k) + 0.5f);
        points.push_back({r * std::cos(a) - 1.0f, y, r * std::sin(a) - 1.0f});
    }
    return points;
}

// An eye path of three segments on an arc about the field's centre: the
// scene runs it from -0.25 to about 1.2, so the first segment carries the
// shot and the others only catch extrapolation.
std::vector<Point3> arcPoints(float radius, float fromDeg, float stepDeg, float y0, float y1) {
    std::vector<Point3> points;
    for (int k = 0; k < 4; ++k) {
        const float a = (fromDeg + stepDeg * static_cast<float>(k)) * kPi / 180.0f;
        const float y = y0 + (y1 - y0) * static_cast<float>(k) / 3.0f;
        const float r = radius - 2.0f * static_cast<float>(k);
        points.push_back({r * std::cos(a), y, r * std::sin(a)});
    }
    return points;
}

// --- The symbols --------------------------------------------------------

using Outline = std::vector<Point2>;

Outline regular(int corners, float radius, float turnDeg) {
    Outline o;
    for (int k = 0; k < corners; ++k) {
        const float a = (turnDeg + 360.0f * static_cast<float>(k) / static_cast<float>(corners)) * kPi / 180.0f;
        o.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    return o;
}

Outline star(int points, float outer, float inner) {
    Outline o;
    for (int k = 0; k < 2 * points; ++k) {
        const float a = (90.0f + 180.0f * static_cast<float>(k) / static_cast<float>(points)) * kPi / 180.0f;
        const float r = k % 2 == 0 ? outer : inner;
        o.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return o;
}

Outline cross(float arm, float half) {
    return {{half, -arm}, {half, -half}, {arm, -half}, {arm, half},  {half, half},   {half, arm},
            {-half, arm}, {-half, half}, {-arm, half}, {-arm, -half}, {-half, -half}, {-half, -arm}};
}

Outline chevron(float size) {
    const float s = size;
    return {{-s, -s}, {0, -0.2f * s}, {s, -s}, {s, -0.3f * s}, {0, s}, {-s, -0.3f * s}};
}

// A glyph extruded 12 deep about its own plane, scaled, and stood at
// `distance` from the origin along `direction`, facing out along it with its
// top turned towards +y.
Mesh glyph(const Outline& outline, float scale, Point3 direction, float distance) {
    Outline scaled;
    for (const Point2& p : outline) scaled.push_back({p.x * scale, p.y * scale});
    Mesh m = extrudeOutline(scaled, 12.0f);
    translate(m, 0, 0, -6.0f);
    const float len = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    const Point3 n = {direction.x / len, direction.y / len, direction.z / len};
    // Up is +y made square to n; right completes the frame (right x up = n).
    Point3 u = {-n.y * n.x, 1 - n.y * n.y, -n.y * n.z};
    const float ul = std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z);
    u = {u.x / ul, u.y / ul, u.z / ul};
    const Point3 r = {u.y * n.z - u.z * n.y, u.z * n.x - u.x * n.z, u.x * n.y - u.y * n.x};
    for (Point3& v : m.vertices) {
        v = {v.x * r.x + v.y * u.x + (v.z + distance) * n.x, v.x * r.y + v.y * u.y + (v.z + distance) * n.y,
             v.x * r.z + v.y * u.z + (v.z + distance) * n.z};
    }
    return m;
}

AseScene symbolsScene() {
    AseScene scene;
    scene.sceneName = "symbols";
    scene.materials.push_back({"symbol", "", {0.8f, 0.8f, 0.85f}});

    // The model turns about the program's z axis through the origin, and the
    // ground is the plane y = 0 through that axis: whatever lies below the
    // axis at a moment is under the ground, whatever the model. So there is
    // no hub to sink half into the floor: eight glyphs ride a wide circle
    // about the axis, and the cameras, lifted over the ground, frame the top
    // of that circle, where two or three glyphs at a time hang 100 to 250
    // units above the ground and sail across the picture as the model turns.
    const std::vector<Outline> outlines = {
        star(5, 48, 20), cross(42, 14), regular(3, 46, 90), regular(4, 40, 45),
        chevron(38),     regular(6, 40, 0), star(4, 48, 16), regular(4, 42, 0),
    };
    Mesh wheel;
    for (size_t k = 0; k < outlines.size(); ++k) {
        const float a = (22.5f + 45.0f * static_cast<float>(k)) * kPi / 180.0f;
        // Facing +z, the way the cameras look, each turned to its own angle
        // so the circle does not read as a ring of cut-outs.
        Mesh g = glyph(outlines[k], 1.05f, {0.25f * std::sin(3.0f * a), 0.2f * std::cos(2.0f * a), 1}, 0);
        translate(g, 205 * std::cos(a), 205 * std::sin(a), 40 * std::sin(2.0f * a));
        append(wheel, g);
    }
    meshToFile(wheel);
    scene.objects.push_back({"symbols", {}, std::move(wheel), 0});

    // Eye and target paths of the three shots, each run from 0 to about 3.
    // The eyes stay 400 to 520 out and 220 to 320 up, looking a little down
    // at the top of the circle; the first two shots lean left far enough to
    // catch the spark column at x = -380 rising from the ground.
    const std::vector<std::vector<Point3>> eyes = {
        {{230, 250, 470}, {120, 265, 460}, {20, 280, 445}, {-90, 290, 425}},
        {{-470, 230, 280}, {-390, 250, 370}, {-300, 270, 420}, {-210, 285, 440}},
        {{-300, 320, 380}, {-110, 300, 430}, {110, 290, 430}, {300, 280, 380}},
    };
    const std::vector<std::vector<Point3>> targets = {
        {{-110, 150, 0}, {-80, 160, 0}, {-50, 170, 0}, {-20, 175, 0}},
        {{-190, 150, 0}, {-140, 160, 0}, {-80, 170, 0}, {-30, 175, 0}},
        {{0, 160, 0}, {0, 170, 0}, {0, 175, 0}, {0, 175, 0}},
    };
    for (int k = 0; k < 3; ++k) {
        scene.shapes.push_back(pathShape("eye" + std::to_string(k + 1), eyes[k], 1.0f));
        scene.shapes.push_back(pathShape("target" + std::to_string(k + 1), targets[k], 1.0f));
    }
    return scene;
}

// --- The cloud tunnel ---------------------------------------------------

// Bold letters for the tunnel's models, in the program's xy plane with y up,
// built as overlapping prisms (none needs a hole): legs and bars as
// polygons, bowls and the C as rings cut open. Every outline winds
// counter-clockwise.

// A band round (cx, cy) between radii inner and outer from angle `from` to
// `to` (degrees, counter-clockwise), with straight runs of `reach` to the
// left off both ends when the ends point left (the bowls of a B).
Outline arcBand(float cx, float cy, float inner, float outer, float fromDeg, float toDeg, float reach = 0) {
    const int steps = 20;
    Outline o;
    auto at = [&](float r, int k) {
        const float a = (fromDeg + (toDeg - fromDeg) * static_cast<float>(k) / steps) * kPi / 180.0f;
        return Point2{cx + r * std::cos(a), cy + r * std::sin(a)};
    };
    if (reach > 0) o.push_back({cx - reach, cy - outer});
    for (int k = 0; k <= steps; ++k) o.push_back(at(outer, k));
    if (reach > 0) {
        o.push_back({cx - reach, cy + outer});
        o.push_back({cx - reach, cy + inner});
    }
    for (int k = steps; k >= 0; --k) o.push_back(at(inner, k));
    if (reach > 0) o.push_back({cx - reach, cy - inner});
    return o;
}

Outline box2(float x0, float y0, float x1, float y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }

// "ABC" in a bold face: 20 units wide, 7.5 tall, 2.6 deep, centred on the
// origin and facing -z. Big enough to hold the frame as a copy drifts past the camera,
// small enough that no camera move of the tunnel runs into one.
Mesh abcLetters() {
    const float h = 7.5f, w = 1.7f;  // letter height, stroke width
    std::vector<Outline> parts;
    // A: two legs meeting in a flat apex, and the bar.
    parts.push_back({{0, 0}, {1.6f, 0}, {3.6f, h}, {2.4f, h}});
    parts.push_back({{4.4f, 0}, {6.0f, 0}, {3.6f, h}, {2.4f, h}});
    parts.push_back(box2(1.0f, 1.6f, 5.0f, 2.6f));
    // B: the stem and two bowls, the lower one a little fuller; their bars
    // are thinner than the stem, as in a printed B, so both counters stay
    // open.
    const float bx = 7.0f, bar = 1.15f;
    parts.push_back(box2(bx, 0, bx + w, h));
    const float upper = 2.07f, lower = 2.26f;
    parts.push_back(arcBand(bx + 2.6f, h - upper, upper - bar, upper, -90, 90, 2.6f - w * 0.5f));
    parts.push_back(arcBand(bx + 3.0f, lower, lower - bar, lower, -90, 90, 3.0f - w * 0.5f));
    // C: a ring open to the right.
    parts.push_back(arcBand(16.25f, h * 0.5f, h * 0.5f - w, h * 0.5f, 42, 318));
    Mesh letters;
    const float depth = 2.6f;
    for (const Outline& part : parts) {
        Mesh m = extrudeOutline(part, depth);
        translate(m, -10.0f, -h * 0.5f, -depth * 0.5f);
        append(letters, m);
    }
    // Turned half round y: the word reads from -z, where the first and
    // longest shots look from.
    for (Point3& v : letters.vertices) v = {-v.x, v.y, -v.z};
    return letters;
}

// Polished letters: the material's image is the sphere map the tunnel's
// shader reflects, so they read as black-and-white chrome.
AseScene abcScene() {
    AseScene scene;
    scene.sceneName = "abc";
    scene.materials.push_back({"chrome", "pallo3.jpg", {0.9f, 0.9f, 0.9f}});
    Mesh letters = abcLetters();
    meshToFile(letters);
    scene.objects.push_back({"letters", {}, std::move(letters), 0});
    return scene;
}

}  // namespace

std::vector<std::pair<std::string, AseScene>> earlySceneModels() {
    return {
        {"spline.ase", pathScene("spline", flightPoints(), 0.1f)},
        {"cam1.ase", pathScene("cam1", arcPoints(28.0f, 200.0f, 40.0f, 9.0f, 12.0f), 0.07f)},
        {"cam1_2.ase", pathScene("cam1_2", arcPoints(27.0f, 20.0f, -45.0f, 7.0f, 13.0f), 0.14f)},
        {"cam1_3.ase", pathScene("cam1_3", arcPoints(26.0f, 300.0f, 50.0f, 12.0f, 6.0f), 0.11f)},
        {"cam1target.ase", pathScene("cam1target", {{0, 2, 0}, {1, 2, 0}, {2, 2, 1}}, 0.01f)},
        {"symbols.ASE", symbolsScene()},
        {"abc.ASE", abcScene()},
    };
}

bool writeEarlySceneModels(const std::filesystem::path& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const auto& [name, scene] : earlySceneModels()) {
        const std::string text = writeAse(scene);
        if (!writeFileBytes(dir / name, std::vector<uint8_t>(text.begin(), text.end()), error)) return false;
    }
    return true;
}
