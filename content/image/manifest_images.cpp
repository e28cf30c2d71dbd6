#include "image/manifest_images.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "image/image_file.h"
#include "image/text.h"

namespace {

constexpr float kPi = 3.14159265f;

struct Painter {
    const char* name;
    std::function<Image(std::string& error)> paint;
};

Image flat(int size, float level) { return toImage(Canvas(size, size, {level, level, level}), ImageKind::Grey); }

// White at the top, black from a little past three quarters down: the
// opening scrolls a tenth of this height over the picture, so the screen
// fades out and reaches black before the strip is taken away.
Image paintGradient() {
    Canvas c(64, 1024);
    c.shade([](float, float v) {
        const float level = 1 - smoothStep(0.12f, 0.78f, v);
        return Rgb{level, level, level};
    });
    return toImage(c, ImageKind::Grey);
}

// The mark: a ring with a glowing core, the emblem the ring decals and the
// ring ship echo.
void paintMark(Canvas& c, float cx, float cy, float radius) {
    addRing(c, cx, cy, radius, radius * 0.16f, {1, 1, 1});
    addBlob(c, cx, cy, radius * 0.72f, {0.55f, 0.55f, 0.55f}, 2.5f);
    addBlob(c, cx, cy, radius * 0.34f, {1, 1, 1}, 0.6f);
}

// Drawn as a 512 x 512 quad in the lower-left corner of the picture, so
// everything sits in the lower part of the image, clear of the edges, and
// strokes stay thick enough for the 2:1 reduction on screen.
Image paintLogo(std::string& error) {
    Canvas c(1024, 1024);
    const float tracking = 12;
    const float markRadius = 70;
    const float left = 64;
    const float baseline = 860;
    paintMark(c, left + markRadius, baseline - 34, markRadius);
    const float textX = left + 2 * markRadius + 40;
    // The largest type that fits beside the mark.
    int size = 92;
    for (; size > 40; size -= 4) {
        TextPainter probe(kFontSansBold, size, error);
        if (!probe.ok()) return {};
        if (textX + probe.measure("AFTERGLOW", tracking) <= 1024 - 40) break;
    }
    TextPainter fitted(kFontSansBold, size, error);
    fitted.paint(c, "AFTERGLOW", textX, baseline, tracking, {1, 1, 1});
    // A fine rule under the word ties it to the mark.
    const float width = fitted.measure("AFTERGLOW", tracking);
    for (int y = static_cast<int>(baseline) + 28; y < static_cast<int>(baseline) + 32; ++y) {
        for (int x = static_cast<int>(textX); x < static_cast<int>(textX + width); ++x) c.at(x, y) = {0.8f, 0.8f, 0.8f};
    }
    return toImage(c, ImageKind::Grey);
}

// Stretches the canvas to `height` rows, sampling between rows linearly.
Canvas stretchRows(const Canvas& c, int height) {
    Canvas out(c.width(), height);
    const float scale = static_cast<float>(c.height()) / static_cast<float>(height);
    for (int y = 0; y < height; ++y) {
        const float from = std::clamp((static_cast<float>(y) + 0.5f) * scale - 0.5f, 0.0f, c.height() - 1.0f);
        const int y0 = static_cast<int>(from);
        const int y1 = std::min(y0 + 1, c.height() - 1);
        const float t = from - static_cast<float>(y0);
        for (int x = 0; x < c.width(); ++x) out.at(x, y) = mix(c.at(x, y0), c.at(x, y1), t);
    }
    return out;
}

// A line of text centred on cx, at `size` or smaller until it fits `width`.
bool paintLineFitted(Canvas& c, const char* font, int size, const std::string& text, float cx, float baseline,
                     float tracking, float width, Rgb colour, std::string& error) {
    for (; size > 12; size -= 2) {
        TextPainter probe(font, size, error);
        if (!probe.ok()) return false;
        if (probe.measure(text, tracking) <= width) break;
    }
    TextPainter painter(font, size, error);
    if (!painter.ok()) return false;
    painter.paintCentred(c, text, cx, baseline, tracking, colour);
    return true;
}

// The closing card: its grey is its own alpha, so the text is white on
// black. The scene shows the square card on a 4:3 frustum stretched into
// the 16:9 band, a little under half the window wide and under half as
// tall: at 1024 x 768 the image's columns shrink to 0.45 and its rows to
// 0.34. So the card is laid out at the proportions it is seen with (1024 x
// 768) and its rows stretched to 1024, and every line keeps an em of at
// least 48 of its pixels: over 21 pixels on that screen.
Image paintCredits(std::string& error) {
    Canvas c(1024, 768);
    const float cx = 512;
    const float width = 1024 - 2 * 56;
    paintMark(c, cx, 112, 58);
    const bool painted = paintLineFitted(c, kFontSansBold, 118, "AFTERGLOW", cx, 300, 16, width, {1, 1, 1}, error) &&
                         paintLineFitted(c, kFontSans, 60, "code \xC2\xB7 music \xC2\xB7 graphics", cx, 430, 3,
                                         width, {1, 1, 1}, error) &&
                         paintLineFitted(c, kFontSans, 50, "made with C++ and OpenGL", cx, 520, 1, width,
                                         {0.9f, 0.9f, 0.9f}, error) &&
                         paintLineFitted(c, kFontSans, 50, "images and sound made from code", cx, 592, 1, width,
                                         {0.9f, 0.9f, 0.9f}, error) &&
                         paintLineFitted(c, kFontSansBold, 58, "2026", cx, 700, 10, width, {1, 1, 1}, error);
    if (!painted) return {};
    for (int y = 332; y < 338; ++y) {
        for (int x = 312; x < 712; ++x) c.at(x, y) = {0.7f, 0.7f, 0.7f};
    }
    return toImage(stretchRows(c, 1024), ImageKind::Grey);
}

Image paintSoftBlob(int size, float sharpness) {
    Canvas c(size, size);
    addBlob(c, size / 2.0f, size / 2.0f, size / 2.0f, {1, 1, 1}, sharpness);
    return toImage(c, ImageKind::Grey);
}

// Colour partners of the blobs: the colour runs from a white-hot centre
// through `mid` to `edge`, so the sprite reads as a glow wherever its alpha
// lets it through.
Image paintGlow(int size, Rgb core, Rgb mid, Rgb edge) {
    Canvas c(size, size);
    c.shade([&](float u, float v) {
        const float d = std::min(1.0f, 2 * std::hypot(u - 0.5f, v - 0.5f));
        return d < 0.35f ? mix(core, mid, d / 0.35f) : mix(mid, edge, (d - 0.35f) / 0.65f);
    });
    return toImage(c, ImageKind::Colour);
}

Image paintRing() {
    Canvas c(512, 512);
    addRing(c, 256, 256, 196, 34, {1, 1, 1});
    addRing(c, 256, 256, 238, 5, {0.6f, 0.6f, 0.6f});
    return toImage(c, ImageKind::Grey);
}

// Puffs of cloud that fade out well before the image edge, so a sheet of
// any size shows no border.
Image paintCloud() {
    Canvas c(512, 512);
    c.shade([](float u, float v) {
        const float n = fractalNoise3(u * 5, v * 5, 0.5f, 5, 0.55f, 11);
        const float r = 2 * std::hypot(u - 0.5f, v - 0.5f);
        // Separate puffs with clear gaps: thirty of these sheets stack in the
        // cloud tunnel, and the models there must show through them.
        const float level = 0.9f * smoothStep(0.46f, 0.84f, n) * (1 - smoothStep(0.35f, 0.95f, r));
        return Rgb{level, level, level};
    });
    return toImage(c, ImageKind::Grey);
}

// A bright spark wrapped in wisps; loaded without alpha and drawn additively,
// so its edge is black.
Image paintCloudy() {
    Canvas c(128, 128);
    c.shade([](float u, float v) {
        const float r = 2 * std::hypot(u - 0.5f, v - 0.5f);
        const float wisps = fractalNoise3(u * 6, v * 6, 2.5f, 4, 0.5f, 23);
        const float halo = (1 - smoothStep(0.05f, 1.0f, r)) * (0.35f + 0.9f * smoothStep(0.3f, 0.75f, wisps));
        const float core = std::pow(std::max(0.0f, 1 - r * 1.6f), 1.5f);
        return Rgb{1.0f, 0.92f, 0.82f} * halo + Rgb{1, 1, 1} * core;
    });
    return toImage(c, ImageKind::Colour);
}

// Grey-blue paving that repeats seamlessly: the floor shader repeats it many
// times over the 3200-unit square.
Image paintGround() {
    const int size = 512;
    Canvas c(size, size);
    c.shade([](float u, float v) {
        float n = 0.5f * tiledNoise2(u * 8, v * 8, 8, 31) + 0.3f * tiledNoise2(u * 32, v * 32, 32, 37) +
                  0.2f * tiledNoise2(u * 128, v * 128, 128, 41);
        // Joints of a 4 x 4 pattern of slabs.
        const float gu = std::fabs(u * 4 - std::floor(u * 4 + 0.5f));
        const float gv = std::fabs(v * 4 - std::floor(v * 4 + 0.5f));
        const float joint = 1 - smoothStep(0.0f, 0.02f, std::min(gu, gv));
        const float level = (0.55f + 0.35f * n) * (1 - 0.6f * joint);
        return Rgb{0.62f, 0.7f, 0.8f} * level;
    });
    return toImage(c, ImageKind::Colour);
}

// The surroundings as a mirror ball sees them (a sphere map): bright sky
// above, a glowing horizon, dark ground below. Nearly neutral, because the
// tile colours tint it per scene.
Image paintEnvironment() {
    const int size = 256;
    Canvas c(size, size);
    c.shade([](float u, float v) {
        float x = 2 * u - 1, y = 1 - 2 * v;
        const float len = std::hypot(x, y);
        if (len > 0.999f) {
            x *= 0.999f / len;
            y *= 0.999f / len;
        }
        const float nz = std::sqrt(std::max(0.0f, 1 - x * x - y * y));
        // Reflection of a view along -z about the normal (x, y, nz).
        const float rx = 2 * nz * x, ry = 2 * nz * y, rz = 2 * nz * nz - 1;
        const float sky = smoothStep(-0.1f, 0.9f, ry);
        const float horizon = std::exp(-ry * ry * 30);
        const float clouds = fractalNoise3(rx * 3, ry * 3, rz * 3, 4, 0.5f, 53);
        Rgb colour = mix(Rgb{0.12f, 0.12f, 0.14f}, Rgb{0.75f, 0.8f, 0.88f}, sky);
        colour = colour + Rgb{0.9f, 0.9f, 0.85f} * (horizon * 0.8f);
        colour = colour + Rgb{0.3f, 0.3f, 0.32f} * (smoothStep(0.5f, 0.8f, clouds) * sky);
        const float sunDot = (rx * 0.4f + ry * 0.5f + rz * 0.77f);
        colour = colour + Rgb{1, 0.97f, 0.9f} * std::pow(std::max(0.0f, sunDot), 60.0f);
        return colour;
    });
    return toImage(c, ImageKind::Colour);
}

struct NebulaPalette {
    Rgb space;
    Rgb cloudA;
    Rgb cloudB;
    Rgb glow;
    uint32_t seed;
    // A luminous haze below the horizon (black for none): dark things on the
    // ground (decals, spots, the flowers seen from above) stand out on it.
    Rgb floor{};
};

// A sky in longitude (across) and latitude (down, north at the top), painted
// from directions on the unit sphere so it has no seam and no pinched poles
// on the models that wrap it that way.
Image paintNebula(const NebulaPalette& p) {
    const int size = 1024;
    Canvas c(size, size);
    c.shade([&](float u, float v) {
        const float lon = u * 2 * kPi, lat = (0.5f - v) * kPi;
        const float dx = std::cos(lat) * std::cos(lon), dy = std::cos(lat) * std::sin(lon), dz = std::sin(lat);
        const float density = fractalNoise3(dx * 1.8f + 3, dy * 1.8f, dz * 1.8f, 6, 0.55f, p.seed);
        const float hue = fractalNoise3(dx * 1.2f, dy * 1.2f + 7, dz * 1.2f, 3, 0.5f, p.seed + 1);
        const float filaments = fractalNoise3(dx * 5, dy * 5, dz * 5 + 2, 4, 0.6f, p.seed + 2);
        const float cloud = smoothStep(0.4f, 0.75f, density);
        const float bright = smoothStep(0.55f, 0.8f, density) * smoothStep(0.45f, 0.75f, filaments);
        Rgb colour = p.space + mix(p.cloudA, p.cloudB, smoothStep(0.3f, 0.7f, hue)) * cloud;
        colour = colour + p.glow * (bright * 0.8f);
        // The haze rises from the nadir to a little below the horizon and is
        // stirred by the same clouds.
        if (p.floor.r + p.floor.g + p.floor.b > 0) {
            const float below = smoothStep(0.05f, 0.45f, -dz);
            colour = mix(colour, p.floor * (0.7f + 0.4f * density), below * 0.8f);
        }
        // Stars: one candidate per cell of a 3D grid around the sphere.
        const float scale = 160;
        const float sx = dx * scale, sy = dy * scale, sz = dz * scale;
        const int cx = static_cast<int>(std::floor(sx)), cy = static_cast<int>(std::floor(sy)),
                  cz = static_cast<int>(std::floor(sz));
        const float pick = hashUnit(cx * 73 + cz, cy, p.seed + 3);
        if (pick > 0.93f) {
            const float ox = hashUnit(cx, cy * 31 + cz, p.seed + 4), oy = hashUnit(cy, cz * 17 + cx, p.seed + 5),
                        oz = hashUnit(cz, cx * 13 + cy, p.seed + 6);
            const float ddx = sx - (cx + ox), ddy = sy - (cy + oy), ddz = sz - (cz + oz);
            const float d2 = ddx * ddx + ddy * ddy + ddz * ddz;
            const float star = std::exp(-d2 * 30) * (pick - 0.93f) / 0.07f;
            colour = colour + Rgb{1, 1, 1} * star;
        }
        return colour;
    });
    return toImage(c, ImageKind::Colour);
}

const std::vector<Painter>& painters() {
    static const std::vector<Painter> list = {
        {"gradient.jpg", [](std::string&) { return paintGradient(); }},
        {"particle2mask.jpg", [](std::string&) { return paintSoftBlob(64, 3.0f); }},
        {"pallo2.jpg",
         [](std::string&) { return paintGlow(128, {1, 0.96f, 0.85f}, {1, 0.6f, 0.18f}, {0.7f, 0.12f, 0.04f}); }},
        {"nebula.jpg",
         [](std::string&) {
             return paintNebula({{0.015f, 0.02f, 0.06f}, {0.05f, 0.45f, 0.55f}, {0.45f, 0.15f, 0.7f},
                                 {0.7f, 0.85f, 1.0f}, 101});
         }},
        {"pallo3.jpg", [](std::string&) { return paintEnvironment(); }},
        {"ground.jpg", [](std::string&) { return paintGround(); }},
        {"cloud.jpg", [](std::string&) { return paintCloud(); }},
        {"black_1024.jpg", [](std::string&) { return flat(1024, 0); }},
        {"logo.jpg", [](std::string& e) { return paintLogo(e); }},
        {"particle2.jpg",
         [](std::string&) { return paintGlow(64, {1, 1, 1}, {0.55f, 0.85f, 1}, {0.1f, 0.3f, 0.9f}); }},
        {"nebula2.jpg",
         [](std::string&) {
             // Amber clouds on near-black, not red: the flowers' deep red and
             // the piece's dull red smoke must stand out against it.
             return paintNebula({{0.03f, 0.015f, 0.02f}, {0.42f, 0.2f, 0.06f}, {0.6f, 0.42f, 0.12f},
                                 {0.9f, 0.75f, 0.5f}, 202, {0.78f, 0.42f, 0.16f}});
         }},
        {"white_512.jpg", [](std::string&) { return flat(512, 1); }},
        {"ring.jpg", [](std::string&) { return paintRing(); }},
        {"credits.jpg", [](std::string& e) { return paintCredits(e); }},
        {"pallo.jpg", [](std::string&) { return paintSoftBlob(128, 1.2f); }},
        {"cloudy.jpg", [](std::string&) { return paintCloudy(); }},
    };
    return list;
}

}  // namespace

const std::vector<std::string>& manifestImageNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const Painter& p : painters()) out.push_back(p.name);
        return out;
    }();
    return names;
}

Image paintManifestImage(const std::string& name, std::string& error) {
    for (const Painter& p : painters()) {
        if (name == p.name) return p.paint(error);
    }
    error = "no image is called " + name;
    return {};
}

std::vector<uint8_t> encodeManifestImage(const Image& image, std::string& error) {
    return encodeImageJpeg(image, 92, error);
}

bool writeManifestImages(const std::filesystem::path& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const std::string& name : manifestImageNames()) {
        const Image image = paintManifestImage(name, error);
        if (image.width == 0) return false;
        const std::vector<uint8_t> jpeg = encodeManifestImage(image, error);
        if (jpeg.empty() || !writeFileBytes(dir / name, jpeg, error)) {
            error = name + ": " + error;
            return false;
        }
    }
    return true;
}

// The mark alone on a disc of the night blue of the opening sky, with a warm
// halo: an icon reads at small sizes where the word would not. Outside the
// disc the icon is transparent, so it sits on any menu or dock; its edge is
// antialiased by the share of each pixel the disc covers.
Image paintIcon(int size) {
    const float s = static_cast<float>(size);
    Canvas c(size, size, {0.02f, 0.03f, 0.07f});
    addBlob(c, s / 2, s / 2, s * 0.5f, {0.5f, 0.24f, 0.06f}, 1.6f);
    paintMark(c, s / 2, s / 2, s * 0.34f);
    const Image rgb = toImage(c, ImageKind::Colour);
    const float discRadius = s * 0.48f;
    Image icon{size, size, 4, {}};
    icon.pixels.reserve(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint8_t* p = &rgb.pixels[(static_cast<size_t>(y) * size + x) * 3];
            const float d = std::hypot(static_cast<float>(x) + 0.5f - s / 2, static_cast<float>(y) + 0.5f - s / 2);
            const float coverage = std::clamp(discRadius - d + 0.5f, 0.0f, 1.0f);
            icon.pixels.insert(icon.pixels.end(), {p[0], p[1], p[2], static_cast<uint8_t>(coverage * 255.0f + 0.5f)});
        }
    }
    return icon;
}
