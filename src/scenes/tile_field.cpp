#include "scenes/tile_field.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "assets/crt_random.h"
#include "gfx/engine.h"
#include "gfx/gl_matrix.h"
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

// A tile's height, 0 outside the grid: tileHeight, or this frame's table.
using HeightAt = float (*)(int x, int z);

void addFace(TileFaces& faces, const FaceVertex (&face)[4], int x, int z, float drop) {
    TileVertex* out = faces.quads[faces.count++];
    for (const FaceVertex& v : face) {
        const float y = v.reach == kFoot ? -faces.height : v.reach == kNeighbourTop ? -drop : 0.0f;
        *out++ = {{v.px, y, v.pz}, {v.nx, v.ny, v.nz}, x + v.shadeDx, z + v.shadeDz};
    }
}

template <HeightAt heightAt>
TileShadeColour shadeOf(int x, int z) {
    TileShadeColour shade;
    if (!insideGrid(x, z)) return shade;
    const float t = musicTimeMs;
    const float h = heightAt(x, z);
    float d = 1.2f;
    auto darkenBy = [&](int nx, int nz) {
        const float hN = heightAt(nx, nz);
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

template <HeightAt heightAt>
TileFaces facesOf(int x, int z) {
    TileFaces faces;
    const float h = heightAt(x, z);
    faces.height = h;
    addFace(faces, kTop, x, z, 0.0f);
    const float dPlusZ = h - heightAt(x, z + 1);
    if (dPlusZ >= 0.0f) addFace(faces, kPlusZ, x, z, dPlusZ);
    if (h - heightAt(x, z - 1) >= 0.0f) addFace(faces, kMinusZ, x, z, 0.0f);
    if (h - heightAt(x - 1, z) >= 0.0f) addFace(faces, kMinusX, x, z, 0.0f);
    const float dPlusX = h - heightAt(x + 1, z);
    if (dPlusX >= 0.0f) addFace(faces, kPlusX, x, z, dPlusX);
    return faces;
}

// The field at this frame's time: every tile's height and shade worked out
// once, where the faces and shades of its neighbours would ask for each
// again and again. Pure functions of the clock, so the same floats.
struct FieldNow {
    float heights[kTileCount];
    TileShadeColour shades[kTileCount];
} fieldNow;

float heightNow(int x, int z) { return insideGrid(x, z) ? fieldNow.heights[x + kTileGrid * z] : 0.0f; }

void takeFieldNow() {
    for (int z = 0; z < kTileGrid; ++z)
        for (int x = 0; x < kTileGrid; ++x) fieldNow.heights[x + kTileGrid * z] = tileHeight(x, z);
    for (int z = 0; z < kTileGrid; ++z)
        for (int x = 0; x < kTileGrid; ++x) fieldNow.shades[x + kTileGrid * z] = shadeOf<heightNow>(x, z);
}

// Before the shades take over: the top white, the sides dark.
constexpr float kTopColour[3] = {1.0f, 1.0f, 1.0f};
constexpr float kSideColour[3] = {0.2f, 0.2f, 0.2f};

// Per vertex: the normal, then the shade (which sets the colour, or keeps
// the current one for a tile outside the grid), then the position. Inside
// the tile's one glBegin/glEnd.
void drawQuad(const TileVertex (&quad)[4]) {
    for (const TileVertex& v : quad) {
        glNormal3f(v.normal.x, v.normal.y, v.normal.z);
        if (insideGrid(v.shadeX, v.shadeZ)) {
            const TileShadeColour& shade = fieldNow.shades[v.shadeX + kTileGrid * v.shadeZ];
            glColor3f(shade.rgb[0], shade.rgb[1], shade.rgb[2]);
        }
        glVertex3f(v.position.x, v.position.y, v.position.z);
    }
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

TileShadeColour tileShadeColour(int x, int z) { return shadeOf<tileHeight>(x, z); }

float tileFieldPosition(int index, int count) { return 2.0f * static_cast<float>(index - count / 2); }

TileFaces tileFaces(int x, int z) { return facesOf<tileHeight>(x, z); }

void drawTileField(int count) {
    takeFieldNow();
    float camera[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, camera);
    ViewVolume view;
    bool lastLeftOut = false;
    float lastPx = 0.0f;
    TileFaces last;
    for (int z = 0; z < count; ++z) {
        for (int x = 0; x < count; ++x) {
            const TileFaces faces = facesOf<heightNow>(x, z);
            const float px = tileFieldPosition(x, count);
            const Vec3 at = {px, faces.height, tileFieldPosition(z, count)};
            // A tile the view volume clips away whole is not sent.
            float tile[16];
            translatedMatrix(camera, at, tile);
            Vec3 corners[5 * 4];
            for (int q = 0; q < faces.count; ++q)
                for (int k = 0; k < 4; ++k) corners[q * 4 + k] = faces.quads[q][k].position;
            lastLeftOut = view.whollyOutside(tile, corners, faces.count * 4);
            if (lastLeftOut) {
                lastPx = px;
                last = faces;
                continue;
            }
            glPushMatrix();
            glTranslatef(at.x, at.y, at.z);
            engine->shaders->setUniform1f(engine->progEnvmap, px, "vLoc");
            glBegin(GL_QUADS);
            glColor3fv(kTopColour);
            drawQuad(faces.quads[0]);
            glColor3fv(kSideColour);
            for (int q = 1; q < faces.count; ++q) drawQuad(faces.quads[q]);
            glEnd();
            glPopMatrix();
        }
    }
    // What the last tile would have left current, had it been sent: its
    // "vLoc", its last colour and its last normal.
    if (lastLeftOut) {
        engine->shaders->setUniform1f(engine->progEnvmap, lastPx, "vLoc");
        const float* colour = kTopColour;
        for (int q = 0; q < last.count; ++q) {
            for (const TileVertex& v : last.quads[q])
                if (insideGrid(v.shadeX, v.shadeZ)) colour = fieldNow.shades[v.shadeX + kTileGrid * v.shadeZ].rgb;
            // As drawn: the side colour follows the top, sides or none.
            if (q == 0) colour = kSideColour;
        }
        glColor3f(colour[0], colour[1], colour[2]);
        const Vec3& normal = last.quads[last.count - 1][3].normal;
        glNormal3f(normal.x, normal.y, normal.z);
    }
}
