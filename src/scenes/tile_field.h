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
// tileShadeColour, applied: sets the current colour for a tile inside the
// grid and returns the brightness.
float tileShade(int x, int z);

// count x count tiles about the origin, one quad per face, in immediate mode.
// Sets the "vLoc" uniform of progEnvmap once per tile (on whichever program
// is current) and the colour per vertex; the modelview matrix is restored.
void drawTileField(int count);
