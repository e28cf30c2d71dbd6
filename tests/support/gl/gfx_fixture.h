// Helpers for tests of the graphics code: an engine with the render target
// and the pass buffers (no shaders, no images), pictures put straight into
// textures, and read-backs of the window and of textures.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// Engine with textures, render target and PostFx; false without a display.
bool ensurePassEngine();

// Fills a size x size texture from colour(x, row), row 0 at the bottom (the
// order in which copied framebuffer images are stored).
void fillTexture(GLuint texture, int size, const std::function<Rgb(int x, int row)>& colour);
// The render target's picture.
void fillPicture(const std::function<Rgb(int x, int row)>& colour);
// A TextureManager entry.
void fillBuffer(int index, int size, const std::function<Rgb(int x, int row)>& colour);

// The primitives the GL was sent while draw ran (a GL_PRIMITIVES_GENERATED
// query): what a draw call left out does not count.
GLuint primitivesDrawn(const std::function<void()>& draw);

// What a draw leaves current for the next one, which may use it without
// setting it: colour, normal and texture coordinate.
struct CurrentVertex {
    float colour[4] = {};
    float normal[3] = {};
    float texCoord[4] = {};
};
CurrentVertex currentVertex();
// "" when a and b are the same; otherwise which differ, with their values.
std::string vertexDifferences(const CurrentVertex& a, const CurrentVertex& b);

// The window's back buffer (1024x768), rows top first.
struct WindowImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    Rgb at(int x, int yFromTop) const;
};
WindowImage readWindow();
// Clears the window to one colour.
void clearWindow(float r, float g, float b);

// A square texture, row 0 at the bottom.
struct TextureImage {
    int size = 0;
    std::vector<uint8_t> rgb;
    Rgb at(int x, int row) const;
};
TextureImage readBuffer(int index);
