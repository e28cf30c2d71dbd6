// A floating-point RGB canvas for painting the data folder's images, and the
// 8-bit image it is finally quantised to.
//
//   Canvas c(256, 256);
//   addBlob(c, 128, 128, 100, {1, 0.6f, 0.2f}, 2.0f);
//   Image grey = toImage(c, ImageKind::Grey);
//
// Painting adds light (values may pass 1 while painting); toImage clamps.
// Coordinates are pixels with (0, 0) the top-left corner of the top-left
// pixel; pixel centres lie at +0.5.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator*(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }

class Canvas {
public:
    Canvas(int width, int height, Rgb fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const Rgb& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    // Calls paint(u, v) at every pixel centre (u, v in 0..1, v down) and
    // stores its result.
    void shade(const std::function<Rgb(float u, float v)>& paint);

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

enum class ImageKind { Grey, Colour };

struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;             // 1 grey, 3 RGB, 4 RGBA (straight alpha)
    std::vector<uint8_t> pixels;  // rows top first
};

// Clamps to 0..1 and rounds to 8 bits; grey takes the mean of r, g and b.
Image toImage(const Canvas& canvas, ImageKind kind);

// Adds a round glow: colour * (1 - (d / radius)^2)^sharpness inside radius,
// so the edge reaches exactly black.
void addBlob(Canvas& canvas, float cx, float cy, float radius, Rgb colour, float sharpness);

// Adds a ring of the given radius whose cross-section is a smooth bump of
// half-width halfWidth (zero beyond it).
void addRing(Canvas& canvas, float cx, float cy, float radius, float halfWidth, Rgb colour);

// Smooth Hermite step, 0 below edge0 and 1 above edge1.
float smoothStep(float edge0, float edge1, float x);

// Value noise in three dimensions, 0..1, smooth (quintic fade), fixed per
// seed; and its sum over octaves, each at twice the frequency and
// `persistence` times the weight of the one before, normalised to 0..1.
float valueNoise3(float x, float y, float z, uint32_t seed);
float fractalNoise3(float x, float y, float z, int octaves, float persistence, uint32_t seed);

// Value noise that repeats every `period` units in x and y, for textures
// that tile.
float tiledNoise2(float x, float y, int period, uint32_t seed);

// A hash of integer coordinates to 0..1, for scattering stars and the like.
float hashUnit(int32_t x, int32_t y, uint32_t seed);
