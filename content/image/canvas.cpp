#include "image/canvas.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t hash3(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    // A small integer mix (no library hash: the bytes must not change
    // between standard libraries).
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 17) | (h >> 15);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float unit(uint32_t h) { return static_cast<float>(h >> 8) * (1.0f / 16777216.0f); }

float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

int floorInt(float v) { return static_cast<int>(std::floor(v)); }

uint8_t toByte(float v) {
    const float c = std::clamp(v, 0.0f, 1.0f);
    return static_cast<uint8_t>(std::floor(c * 255.0f + 0.5f));
}

// Adds colour * weight(distance) over the square that can reach.
template <typename Weight>
void addRadial(Canvas& canvas, float cx, float cy, float reach, Rgb colour, Weight weight) {
    const int x0 = std::max(0, floorInt(cx - reach));
    const int x1 = std::min(canvas.width() - 1, floorInt(cx + reach));
    const int y0 = std::max(0, floorInt(cy - reach));
    const int y1 = std::min(canvas.height() - 1, floorInt(cy + reach));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float dx = x + 0.5f - cx;
            const float dy = y + 0.5f - cy;
            const float w = weight(std::sqrt(dx * dx + dy * dy));
            if (w > 0) canvas.at(x, y) = canvas.at(x, y) + colour * w;
        }
    }
}

}  // namespace

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::shade(const std::function<Rgb(float u, float v)>& paint) {
    for (int y = 0; y < height_; ++y) {
        const float v = (y + 0.5f) / height_;
        for (int x = 0; x < width_; ++x) at(x, y) = paint((x + 0.5f) / width_, v);
    }
}

Image toImage(const Canvas& canvas, ImageKind kind) {
    Image image;
    image.width = canvas.width();
    image.height = canvas.height();
    image.channels = kind == ImageKind::Grey ? 1 : 3;
    image.pixels.reserve(static_cast<size_t>(image.width) * image.height * image.channels);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& c = canvas.at(x, y);
            if (kind == ImageKind::Grey) {
                image.pixels.push_back(toByte((c.r + c.g + c.b) / 3.0f));
            } else {
                image.pixels.push_back(toByte(c.r));
                image.pixels.push_back(toByte(c.g));
                image.pixels.push_back(toByte(c.b));
            }
        }
    }
    return image;
}

void addBlob(Canvas& canvas, float cx, float cy, float radius, Rgb colour, float sharpness) {
    addRadial(canvas, cx, cy, radius, colour, [&](float d) {
        if (d >= radius) return 0.0f;
        const float q = d / radius;
        return std::pow(1 - q * q, sharpness);
    });
}

void addRing(Canvas& canvas, float cx, float cy, float radius, float halfWidth, Rgb colour) {
    addRadial(canvas, cx, cy, radius + halfWidth, colour, [&](float d) {
        const float q = std::fabs(d - radius) / halfWidth;
        if (q >= 1) return 0.0f;
        return 1 - smoothStep(0, 1, q);
    });
}

float smoothStep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

float valueNoise3(float x, float y, float z, uint32_t seed) {
    const int ix = floorInt(x), iy = floorInt(y), iz = floorInt(z);
    const float fx = fade(x - ix), fy = fade(y - iy), fz = fade(z - iz);
    auto corner = [&](int dx, int dy, int dz) { return unit(hash3(ix + dx, iy + dy, iz + dz, seed)); };
    const float x00 = lerp(corner(0, 0, 0), corner(1, 0, 0), fx);
    const float x10 = lerp(corner(0, 1, 0), corner(1, 1, 0), fx);
    const float x01 = lerp(corner(0, 0, 1), corner(1, 0, 1), fx);
    const float x11 = lerp(corner(0, 1, 1), corner(1, 1, 1), fx);
    return lerp(lerp(x00, x10, fy), lerp(x01, x11, fy), fz);
}

float fractalNoise3(float x, float y, float z, int octaves, float persistence, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise3(x, y, z, seed + static_cast<uint32_t>(i) * 101u);
        total += weight;
        weight *= persistence;
        x *= 2;
        y *= 2;
        z *= 2;
    }
    return sum / total;
}

float tiledNoise2(float x, float y, int period, uint32_t seed) {
    const int ix = floorInt(x), iy = floorInt(y);
    const float fx = fade(x - ix), fy = fade(y - iy);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    auto corner = [&](int dx, int dy) { return unit(hash3(wrap(ix + dx), wrap(iy + dy), 0, seed)); };
    return lerp(lerp(corner(0, 0), corner(1, 0), fx), lerp(corner(0, 1), corner(1, 1), fx), fy);
}

float hashUnit(int32_t x, int32_t y, uint32_t seed) { return unit(hash3(x, y, 7, seed)); }
