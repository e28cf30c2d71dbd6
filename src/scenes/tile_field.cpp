#include "scenes/tile_field.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "assets/crt_random.h"
#include "gfx/engine.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"

float tileHeights[kTileCount];

namespace {

bool insideGrid(int x, int z) { return x >= 0 && x < kTileGrid && z >= 0 && z < kTileGrid; }

// How far down a side's vertex reaches: the top edge, the neighbour's top
// (the +z and +x sides), or the column's foot at world y = 0.
enum Reach { kTopEdge, kNeighbourTop, kFoot };

struct FaceVertex {
    float px;
    Reach reach;
    float pz;
    float nx, ny, nz;
    int shadeDx, shadeDz;  // which tile's shade, relative to this one
};

constexpr float n = 0.57735026f;  // 1 / sqrt(3)
constexpr FaceVertex kTop[4] = {
    {1, kTopEdge, -1, n, n, -n, 0, 0},
    {-1, kTopEdge, -1, -n, n, -n, 0, 0},
    {-1, kTopEdge, 1, -n, n, n, 0, 0},
    {1, kTopEdge, 1, n, n, n, 0, 0},
};
constexpr FaceVertex kPlusZ[4] = {
    {-1, kTopEdge, 1, -n, n, n, 0, 0},
    {1, kTopEdge, 1, n, n, n, 0, 0},
    {1, kNeighbourTop, 1, n, -n, n, 0, 1},
    {-1, kNeighbourTop, 1, -n, -n, n, 0, 1},
};
// The x components of these normals are those of the opposite corner.
constexpr FaceVertex kMinusZ[4] = {
    {1, kTopEdge, -1, -n, n, -n, 0, 0},
    {-1, kTopEdge, -1, n, n, -n, 0, 0},
    {-1, kFoot, -1, n, -n, -n, 0, -1},
    {1, kFoot, -1, -n, -n, -n, 0, -1},
};
// Every vertex of this side takes the tile's own shade.
constexpr FaceVertex kMinusX[4] = {
    {-1, kTopEdge, -1, -n, n, -n, 0, 0},
    {-1, kTopEdge, 1, -n, n, n, 0, 0},
    {-1, kFoot, 1, -n, -n, n, 0, 0},
    {-1, kFoot, -1, -n, -n, -n, 0, 0},
};
constexpr FaceVertex kPlusX[4] = {
    {1, kTopEdge, 1, n, n, n, 0, 0},
    {1, kTopEdge, -1, n, n, -n, 0, 0},
    {1, kNeighbourTop, -1, n, -n, -n, 1, 0},
    {1, kNeighbourTop, 1, n, -n, n, 1, 0},
};

void addFace(TileFaces& faces, const FaceVertex (&face)[4], int x, int z, float drop) {
    TileVertex* out = faces.quads[faces.count++];
    for (const FaceVertex& v : face) {
        const float y = v.reach == kFoot ? -faces.height : v.reach == kNeighbourTop ? -drop : 0.0f;
        *out++ = {{v.px, y, v.pz}, {v.nx, v.ny, v.nz}, x + v.shadeDx, z + v.shadeDz};
    }
}

// Per vertex: the normal, then the shade (which sets the colour, or keeps
// the current one for a tile outside the grid), then the position.
void drawQuad(const TileVertex (&quad)[4]) {
    glBegin(GL_QUADS);
    for (const TileVertex& v : quad) {
        glNormal3f(v.normal.x, v.normal.y, v.normal.z);
        tileShade(v.shadeX, v.shadeZ);
        glVertex3f(v.position.x, v.position.y, v.position.z);
    }
    glEnd();
}

}  // namespace

void fillTileHeights() {
    for (float& h : tileHeights) h = static_cast<float>(crtRand() % 10000) * 0.00025f;
}

float tileWave(float x, float z) {
    const float t = musicTimeMs;
    return std::max(0.0f, 11.0f * std::cos((8.0f * z + 5.2f) * x + 0.01f * t + 13.3f * z) - 10.5f);
}

float tileHeight(int x, int z) {
    if (!insideGrid(x, z)) return 0.0f;
    const float t = musicTimeMs;
    float base = (0.5f * std::cos(0.002f * t + 0.2f * static_cast<float>(z)) + 1.0f) * 0.5f;
    if (sceneIndex > 1) base *= 1.0f + 0.4f * beatPulse200();
    const float lift = 1.0f + 0.02f * beatPulse200() +
                       trackAPulse500() * tileWave(static_cast<float>(x), static_cast<float>(z));
    return lift * tileHeights[x + kTileGrid * z] + base;
}

TileShadeColour tileShadeColour(int x, int z) {
    TileShadeColour shade;
    if (!insideGrid(x, z)) return shade;
    const float t = musicTimeMs;
    const float h = tileHeight(x, z);
    float d = 1.2f;
    auto darkenBy = [&](int nx, int nz) {
        const float hN = tileHeight(nx, nz);
        if (h < hN) d -= std::min(0.3f * (hN - h), 0.3f);
    };
    // The far neighbours stop at 28: the last column and row are never
    // compared with each other.
    if (x > 0) darkenBy(x - 1, z);
    if (z > 0) darkenBy(x, z - 1);
    if (x < 28) darkenBy(x + 1, z);
    if (z < 28) darkenBy(x, z + 1);
    const float fx = static_cast<float>(x);
    const float fz = static_cast<float>(z);
    const float l = 0.85f + 0.1f * std::sin(3.3f * fz + 5.2f * fx + (1.0f / 5000.0f) * t);
    const float m = sceneIndex == 0 ? std::max(0.0f, (t - 5000.0f) * (1.0f / 10000.0f)) : 0.5f;
    const float r = m * tileWave(fx, fz) + 0.5f * d;
    const float o = l * r;
    shade.inside = true;
    shade.brightness = r;
    if (sceneIndex == 0) {
        shade.rgb[0] = 0.25f * o;
        shade.rgb[1] = 0.5f * o;
        shade.rgb[2] = 0.5f * r;
    } else {
        shade.rgb[0] = 0.8f * r;
        shade.rgb[1] = 0.3f * o;
        shade.rgb[2] = 0.1f * o;
    }
    return shade;
}

float tileShade(int x, int z) {
    const TileShadeColour shade = tileShadeColour(x, z);
    if (shade.inside) glColor3f(shade.rgb[0], shade.rgb[1], shade.rgb[2]);
    return shade.brightness;
}

float tileFieldPosition(int index, int count) { return 2.0f * static_cast<float>(index - count / 2); }

TileFaces tileFaces(int x, int z) {
    TileFaces faces;
    const float h = tileHeight(x, z);
    faces.height = h;
    addFace(faces, kTop, x, z, 0.0f);
    const float dPlusZ = h - tileHeight(x, z + 1);
    if (dPlusZ >= 0.0f) addFace(faces, kPlusZ, x, z, dPlusZ);
    if (h - tileHeight(x, z - 1) >= 0.0f) addFace(faces, kMinusZ, x, z, 0.0f);
    if (h - tileHeight(x - 1, z) >= 0.0f) addFace(faces, kMinusX, x, z, 0.0f);
    const float dPlusX = h - tileHeight(x + 1, z);
    if (dPlusX >= 0.0f) addFace(faces, kPlusX, x, z, dPlusX);
    return faces;
}

void drawTileField(int count) {
    for (int z = 0; z < count; ++z) {
        for (int x = 0; x < count; ++x) {
            const TileFaces faces = tileFaces(x, z);
            const float px = tileFieldPosition(x, count);
            glPushMatrix();
            glTranslatef(px, faces.height, tileFieldPosition(z, count));
            engine->shaders->setUniform1f(engine->progEnvmap, px, "vLoc");
            // The top white, the sides dark, before the shades take over.
            glColor3f(1.0f, 1.0f, 1.0f);
            drawQuad(faces.quads[0]);
            glColor3f(0.2f, 0.2f, 0.2f);
            for (int q = 1; q < faces.count; ++q) drawQuad(faces.quads[q]);
            glPopMatrix();
        }
    }
}
