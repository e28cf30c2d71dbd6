// The tile field: a 30 x 30 grid of 2 x 2 tiles on columns, each with a
// fixed random base height, a slow wave rolling along the rows, spikes after
// the A events and (past scene 1) a lift on every beat. Scenes 0 and 5 draw
// it; scene 0 fills the height table at start-up.
//
//   fillTileHeights();                      // once, the first rand draws
//   engine->shaders->use(engine->progEnvmap);
//   drawTileField(30);                      // camera, depth test, texture set
//
// Everything reads musicTimeMs, sceneIndex and the timeline pulses; nothing
// keeps state beyond the table.
#pragma once

#include "assets/vec_math.h"

constexpr int kTileGrid = 30;
constexpr int kTileCount = kTileGrid * kTileGrid;

// Row by row: tile (x, z) is entry x + 30 * z.
extern float tileHeights[kTileCount];

// 900 draws of crtRand, in index order, each (r mod 10000) * 0.00025.
void fillTileHeights();

// The spike profile: 0 except near the crests of a fast cosine, at most 0.5.
float tileWave(float x, float z);
// Height of a tile's top; 0 outside the grid.
float tileHeight(int x, int z);

// A tile's shade: the brightness and the colour it gives its vertices.
struct TileShadeColour {
    float brightness = 1.2f;
    float rgb[3] = {0, 0, 0};
    bool inside = false;  // false: no colour, the current one stays
};
TileShadeColour tileShadeColour(int x, int z);

// Where column (or row) index of a count x count field lies along x (or z):
// 2 units a tile, centred on index count / 2 (a whole division).
float tileFieldPosition(int index, int count);

// One vertex of a tile's face in the tile's own frame (its top at y = 0):
// its place, its normal and the tile whose shade colours it.
struct TileVertex {
    Vec3 position;
    Vec3 normal;
    int shadeX = 0;
    int shadeZ = 0;
};
// The quads drawTileField draws for tile (x, z), in drawing order: the top,
// then the sides +z, -z, -x and +x, each only where the tile stands at least
// as high as that neighbour (a tile outside the grid counts as height 0).
// The +z and +x sides reach down to the neighbour's top, the -z and -x
// sides to the tile's foot at world y = 0.
struct TileFaces {
    float height = 0;  // the tile's top, tileHeight(x, z)
    int count = 0;     // quads in use, 1 to 5
    TileVertex quads[5][4];
};
TileFaces tileFaces(int x, int z);

// count x count tiles about the origin, one quad per face, in immediate mode
// (one glBegin/glEnd a tile). Sets the "vLoc" uniform of progEnvmap once per
// tile (on whichever program is current) and the colour per vertex; the
// modelview matrix is restored.
void drawTileField(int count);
