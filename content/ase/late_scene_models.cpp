#include "ase/late_scene_models.h"

#include <cmath>

#include "image/image_file.h"

namespace {

constexpr float kPi = 3.14159265f;

// Turns every vertex about the exporter's x axis, then its z axis.
void turn(Mesh& mesh, float aboutXDeg, float aboutZDeg) {
    const float a = aboutXDeg * kPi / 180.0f;
    const float b = aboutZDeg * kPi / 180.0f;
    for (Point3& v : mesh.vertices) {
        const Point3 p = {v.x, v.y * std::cos(a) - v.z * std::sin(a), v.y * std::sin(a) + v.z * std::cos(a)};
        v = {p.x * std::cos(b) - p.y * std::sin(b), p.x * std::sin(b) + p.y * std::cos(b), p.z};
    }
}

// --- The flower stems ----------------------------------------------------

// The scene scales the stems by 0.3 and reads flower 0 up to parameter 6.6,
// flowers 1 and 2 up to 4.1: nine knots, eight segments each. The camera
// first circles 40 units out and 40 up, watching flower 0's growing tip,
// then rises to 60 and swings 10 to 90 units out: so the stems climb
// steeply in loose spirals (flower 0 to about 64 units, the others to about
// 56), which keeps the watched tip about 50 units from the eye and later
// lifts the flowers up into the camera's view instead of leaving them on
// the ground far below it. A rosette every twentieth of a segment, each
// over three units across, makes a closed chain: the stem.
constexpr float kStemScale = 0.3f;

std::vector<Point3> stemPoints(float rootX, float rootY, float phase, float turnRate, float rise) {
    std::vector<Point3> points;
    for (int k = 0; k < 9; ++k) {
        const float s = static_cast<float>(k);
        const float r = 3.0f + 1.2f * s;
        const float a = phase + turnRate * s;
        // Exporter axes: z is up.
        points.push_back({(rootX + r * std::cos(a)) / kStemScale, (rootY + r * std::sin(a)) / kStemScale,
                          rise * s * (1.0f - 0.02f * s) / kStemScale});
    }
    return points;
}

AseScene flowerScene() {
    AseScene scene;
    scene.sceneName = "kukka";
    scene.shapes.push_back({"stem_main", {smoothPath(stemPoints(-3, 0, 0.0f, 0.8f, 11.0f))}});
    scene.shapes.push_back({"stem_left", {smoothPath(stemPoints(-13, 9, 2.2f, -0.7f, 15.0f))}});
    scene.shapes.push_back({"stem_right", {smoothPath(stemPoints(12, -9, 4.0f, 0.7f, 15.0f))}});
    return scene;
}

// --- The city --------------------------------------------------------------

// A tower: a square prism (a surface of revolution with four sides) in
// three stepped tiers, with many rings of vertices up its faces, so the
// light strokes that leave its vertices come thick and fast.
Mesh tower(float x, float y, float height, float radius) {
    std::vector<ProfilePoint> profile = {{0, height}};
    const float tiers[3][3] = {{0.6f, 1.0f, 0.8f}, {0.8f, 0.8f, 0.55f}, {1.0f, 0.55f, 0.0f}};  // width, top, foot
    for (const auto& t : tiers) {
        const float r = radius * t[0];
        const float top = height * t[1];
        const float foot = height * t[2];
        for (int k = 0; k <= 6; ++k) profile.push_back({r, top - (top - foot) * static_cast<float>(k) / 6.0f});
    }
    profile.push_back({0, 0});
    Mesh m = revolveProfile(profile, 4);
    translate(m, x, y, 0);
    return m;
}

Mesh block(float x, float y, float sx, float sy, float height) {
    Mesh m = makeBox(sx, sy, height);
    translate(m, x, y, height * 0.5f);
    return m;
}

// One mesh, centred on the origin (the axis it spins about runs through it):
// a 26 x 26 base, a grid of blocks and eight towers reaching 15 units up.
// Most of the outer and upper vertices lie beyond 12 units of the origin.
AseScene cityScene() {
    AseScene scene;
    scene.sceneName = "city";
    scene.materials.push_back({"concrete", "", {0.7f, 0.65f, 0.6f}});

    Mesh city = makeBox(26, 26, 1.5f);
    translate(city, 0, 0, -0.75f);
    for (int gx = 0; gx < 5; ++gx) {
        for (int gy = 0; gy < 5; ++gy) {
            const float x = -10.0f + 5.0f * static_cast<float>(gx);
            const float y = -10.0f + 5.0f * static_cast<float>(gy);
            const float h = 2.0f + 4.5f * (0.5f + 0.5f * std::sin(1.7f * static_cast<float>(gx * 5 + gy) + 0.4f));
            append(city, block(x, y, 3.6f, 3.6f, h));
        }
    }
    const float towers[8][3] = {{-10, -10, 13}, {10, -10, 11}, {-10, 10, 12}, {10, 10, 15},
                                {0, -10, 9},    {0, 10, 10},   {-10, 0, 8},   {10, 0, 14}};
    for (const auto& t : towers) append(city, tower(t[0], t[1], t[2], 2.4f));
    scene.objects.push_back({"city", {}, std::move(city), 0});
    return scene;
}

// --- The ring ship ---------------------------------------------------------

// A sphere inside three rings of its own: the sphere is the source of the
// light shafts, so nothing may stand in front of it in the mask pass. The
// ship hangs where the scene's camera moves look: most of them aim near
// (0, 15, -50) and pass within 20 units of the origin, so the ship sits 32
// up and 60 back (program axes), more than 20 units from every eye. Each
// ring's pivot is the sphere's centre, so the rings turn about the sphere;
// they stay within 26 units of it, inside the 27 and more at which the
// later sections' eyes pass, so none of them sweeps through a camera there.
constexpr Point3 kShipCentre = {0, 60, 32};  // exporter axes: program (0, 32, -60)

void moveTo(Mesh& mesh, Point3 p) { translate(mesh, p.x, p.y, p.z); }

// Small beads and rings scattered far round the ship, 400 to 900 units out:
// one section looks away from the ship altogether and others start with it
// behind the camera, and these give the orange ground depth and motion
// there. Every eye stays within 340 units of the ship and every view of the
// sphere is from within 240, so none of them can come between an eye and
// the sphere.
Mesh driftField() {
    Mesh field;
    const int count = 140;
    for (int k = 0; k < count; ++k) {
        // Directions spread evenly over the sphere (a golden-angle spiral),
        // distances and sizes from a hash of the index.
        const float z = 1 - 2 * (static_cast<float>(k) + 0.5f) / count;
        const float a = 2.39996323f * static_cast<float>(k);
        const float r = std::sqrt(1 - z * z);
        const float distance = 400 + 500 * hashUnit(k, 1, 71);
        const float size = 8 + 14 * hashUnit(k, 2, 71);
        Mesh piece = k % 3 == 0 ? makeTorus(size, size * 0.25f, 16, 6) : makeSphere(size * 0.6f, 10, 6);
        turn(piece, 360 * hashUnit(k, 3, 71), 360 * hashUnit(k, 4, 71));
        translate(piece, distance * r * std::cos(a), distance * r * std::sin(a), distance * z);
        append(field, piece);
    }
    moveTo(field, kShipCentre);
    return field;
}

AseScene shipScene() {
    AseScene scene;
    scene.sceneName = "alus";
    scene.materials.push_back({"hull", "pallo.jpg", {0.6f, 0.6f, 0.6f}});
    scene.materials.push_back({"ring", "", {0.6f, 0.6f, 0.6f}});

    Mesh sphere = makeSphere(12, 40, 20);
    moveTo(sphere, kShipCentre);
    scene.objects.push_back({"sphere", kShipCentre, std::move(sphere), 0});
    struct RingShape {
        const char* name;
        float radius, tube, aboutX, aboutZ;
    };
    const RingShape rings[] = {
        {"ring_01", 15.5f, 1.3f, 15, 0},
        {"ring_02", 19.5f, 1.5f, 70, 30},
        {"ring_03", 24, 1.8f, -40, -50},
    };
    for (const RingShape& r : rings) {
        Mesh ring = makeTorus(r.radius, r.tube, 96, 14);
        turn(ring, r.aboutX, r.aboutZ);
        moveTo(ring, kShipCentre);
        scene.objects.push_back({r.name, kShipCentre, std::move(ring), 1});
    }
    scene.objects.push_back({"drift", kShipCentre, driftField(), 1});
    return scene;
}

// --- The piece -------------------------------------------------------------

// A lathe-turned piece 200 units tall standing on the origin, never wider
// than 22 units from its axis: a foot, a bulb, two collars, a slender neck
// and a ball on top.
AseScene pieceScene() {
    AseScene scene;
    scene.sceneName = "piece";
    scene.materials.push_back({"turned", "", {0.7f, 0.7f, 0.6f}});

    std::vector<ProfilePoint> profile = {{0, 200}};
    // The ball on top, radius 10 about z = 190.
    for (int k = 1; k <= 8; ++k) {
        const float a = kPi * static_cast<float>(k) / 9.0f;
        profile.push_back({10 * std::sin(a), 190 + 10 * std::cos(a)});
    }
    const ProfilePoint body[] = {
        {4, 178},  {5, 165},  {9, 160},  {9, 156}, {5, 151},  {4.5f, 135}, {6, 120}, {12, 112},
        {13, 108}, {7, 102},  {8, 90},   {14, 78}, {18, 62},  {17, 48},    {12, 38}, {8, 30},
        {9, 24},   {16, 20},  {16, 16},  {12, 13}, {20, 8},   {22, 4},     {22, 0},
    };
    for (const ProfilePoint& p : body) profile.push_back(p);
    profile.push_back({0, 0});
    scene.objects.push_back({"piece", {}, revolveProfile(profile, 48), 0});
    return scene;
}

}  // namespace

std::vector<std::pair<std::string, AseScene>> lateSceneModels() {
    return {
        {"kukka.ASE", flowerScene()},
        {"city.ASE", cityScene()},
        {"alus.ASE", shipScene()},
        {"piece.ASE", pieceScene()},
    };
}

bool writeLateSceneModels(const std::filesystem::path& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const auto& [name, scene] : lateSceneModels()) {
        const std::string text = writeAse(scene);
        if (!writeFileBytes(dir / name, std::vector<uint8_t>(text.begin(), text.end()), error)) return false;
    }
    return true;
}
