// The full-screen passes on known pictures put straight into the render
// target, checked by pixel probes of the window and of the pass buffers.
// The window and display are 1024x768: the picture band is rows 96..671.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "support/gl/gfx_fixture.h"
#include "runtime/frame/frame_loop.h"

namespace {

#define REQUIRE_ENGINE() \
    if (!ensurePassEngine()) GTEST_SKIP() << "no display"

constexpr int kTop = 96;
constexpr int kBottom = 672;

PostFx& fx() { return *engine->postFx; }
TextureManager& textures() { return *engine->textures; }

Rgb grey(int level) { return {level, level, level}; }

void expectNear(Rgb actual, Rgb expected, int tolerance, const std::string& where) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << where;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << where;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << where;
}

bool isEnabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }

// What every pass promises to leave off.
void expect3DStateOff(const std::string& pass) {
    EXPECT_FALSE(isEnabled(GL_DEPTH_TEST)) << pass;
    EXPECT_FALSE(isEnabled(GL_CULL_FACE)) << pass;
    EXPECT_FALSE(isEnabled(GL_LIGHTING)) << pass;
    EXPECT_FALSE(isEnabled(GL_FOG)) << pass;
}

// Turned on so that a pass which forgets to turn them off draws wrongly.
void dirty3DState() {
    setGlState({.depthTest = kOn, .cullFace = kOn, .lighting = kOn, .fog = kOn});
}

// A black picture with a white 64x64 square centred at (cx, 512) in the
// 1024 target: a 16x16 square in the 256 buffers, columns cx/4 - 8 .. cx/4 + 7.
void brightSquare(int cx = 512) {
    fillPicture([cx](int x, int row) {
        const bool inside = x >= cx - 32 && x < cx + 32 && row >= 480 && row < 544;
        return grey(inside ? 255 : 0);
    });
}

// Level along buffer row 128, the square's middle row.
std::vector<int> middleRow(int buffer) {
    const TextureImage image = readBuffer(buffer);
    std::vector<int> levels;
    for (int x = 0; x < image.size; ++x) levels.push_back(image.at(x, 128).r);
    return levels;
}

// Columns lit (above 0) outside the square [first, last] on each side.
std::pair<int, int> spread(const std::vector<int>& row, int first, int last) {
    int left = 0, right = 0;
    while (first - left - 1 >= 0 && row[first - left - 1] > 0) ++left;
    while (last + right + 1 < static_cast<int>(row.size()) && row[last + right + 1] > 0) ++right;
    return {left, right};
}

// Encodes a texture row (or column) 0..1023 as red = low byte, green = high.
Rgb encode(int n) { return {n & 255, n >> 8, 0}; }
int decode(Rgb c) { return c.g * 256 + c.r; }

TEST(Glow, WithoutPassesIsThePlainReduction) {
    REQUIRE_ENGINE();
    brightSquare();
    fx().glow(textures(), false, 0.002f, 0.5f, 0);
    const std::vector<int> row = middleRow(fx().glowBuffer);
    for (int x = 0; x < 256; ++x) EXPECT_EQ(row[x], x >= 120 && x < 136 ? 255 : 0) << x;
}

TEST(Glow, SpreadsABrightSquareByTheSumOfItsShifts) {
    REQUIRE_ENGINE();
    brightSquare();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    dirty3DState();
    fx().glow(textures(), false, 0.002f, 0.5f, 8);
    const std::vector<int> mixed = middleRow(fx().glowBuffer);

    // Shifts of 0.512 * i pixels, i = 1..8, reach 18.4 pixels in all; the
    // faint tail falls off well before that.
    const auto [left, right] = spread(mixed, 120, 135);
    EXPECT_GE(left, 10);
    EXPECT_GE(right, 10);
    EXPECT_LE(left, 19);
    EXPECT_LE(right, 19);
    EXPECT_LE(std::abs(left - right), 3) << "the blur is about symmetric";
    EXPECT_LT(mixed[128], 230) << "mixing at half alpha spreads the light out of the square";
    EXPECT_GT(mixed[128], 120);

    // The pass keeps the caller's modelview matrix and leaves blending on.
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 1.0f);
    EXPECT_FLOAT_EQ(m[13], 2.0f);
    EXPECT_FLOAT_EQ(m[14], 3.0f);
    EXPECT_TRUE(isEnabled(GL_BLEND));
    expect3DStateOff("glow");

    fx().glow(textures(), true, 0.002f, 0.5f, 8);
    const std::vector<int> added = middleRow(fx().glowBuffer);
    for (int x = 100; x < 156; ++x) EXPECT_GE(added[x], mixed[x]) << "adding only brightens, at " << x;
    EXPECT_EQ(added[128], 255);
}

TEST(ZoomBlur, SmearsOutwardFromTheCentre) {
    REQUIRE_ENGINE();
    brightSquare(672);  // buffer columns 160..175, right of the centre
    fx().zoomBlur(textures(), 0.05f, 0.5f, 0);
    const std::vector<int> plain = middleRow(fx().zoomBuffer);
    for (int x = 0; x < 256; ++x) EXPECT_EQ(plain[x], x >= 160 && x < 176 ? 255 : 0) << x;

    dirty3DState();
    fx().zoomBlur(textures(), 0.05f, 0.5f, 4);
    const std::vector<int> smeared = middleRow(fx().zoomBuffer);
    // Each pass enlarges the buffer by 10% about its centre: the far edge
    // moves from 176 towards 128 + 48 * 1.1^4 = 198; the near side stays dark.
    EXPECT_GT(smeared[185], 0);
    EXPECT_EQ(smeared[205], 0);
    EXPECT_EQ(smeared[150], 0);
    EXPECT_TRUE(isEnabled(GL_BLEND));
    expect3DStateOff("zoomBlur");
}

// Window blue, picture band grey 64 from the render target.
void greyPictureOnBlue() {
    clearWindow(0.0f, 0.0f, 1.0f);
    fillPicture([](int, int) { return grey(64); });
    fx().composite(textures(), 1.0f, Composite::Picture);
}

TEST(Composite, SharpPictureIsOpaqueUprightAndStaysInTheBand) {
    REQUIRE_ENGINE();
    clearWindow(0.0f, 0.0f, 1.0f);
    // Upper half red, lower half green, in the target's own orientation.
    fillPicture([](int, int row) { return row >= 512 ? Rgb{255, 0, 0} : Rgb{0, 255, 0}; });
    setGlState({.blend = kBlendMix});
    dirty3DState();
    fx().composite(textures(), 0.2f, Composite::Picture);  // alpha is ignored
    const WindowImage window = readWindow();
    for (int x : {0, 511, 1023}) {
        expectNear(window.at(x, 95), {0, 0, 255}, 0, "upper bar");
        expectNear(window.at(x, kTop + 2), {255, 0, 0}, 0, "top of the picture");
        expectNear(window.at(x, 380), {255, 0, 0}, 0, "upper half");
        expectNear(window.at(x, 388), {0, 255, 0}, 0, "lower half");
        expectNear(window.at(x, kBottom - 1), {0, 255, 0}, 0, "bottom of the picture");
        expectNear(window.at(x, kBottom), {0, 0, 255}, 0, "lower bar");
    }
    EXPECT_FALSE(isEnabled(GL_BLEND));
    expect3DStateOff("composite");
}

TEST(Composite, GlowAndZoomModesAddAndTheMixModeMixes) {
    REQUIRE_ENGINE();
    fillBuffer(fx().glowBuffer, 256, [](int, int) { return grey(128); });
    fillBuffer(fx().zoomBuffer, 256, [](int, int) { return grey(200); });
    struct Case {
        Composite mode;
        int expected;
    };
    // Picture 64 under a buffer laid at alpha 0.5.
    for (const Case c : {Case{Composite::GlowAdded, 64 + 64}, Case{Composite::GlowMixed, 64 / 2 + 128 / 2},
                         Case{Composite::ZoomAdded, 64 + 100}}) {
        greyPictureOnBlue();
        fx().composite(textures(), 0.5f, c.mode);
        const WindowImage window = readWindow();
        const std::string mode = "mode " + std::to_string(static_cast<int>(c.mode));
        expectNear(window.at(500, 300), grey(c.expected), 2, mode);
        expectNear(window.at(500, 50), {0, 0, 255}, 0, mode + ", upper bar");
        expectNear(window.at(500, 700), {0, 0, 255}, 0, mode + ", lower bar");
        EXPECT_TRUE(isEnabled(GL_BLEND)) << mode;
    }
}

TEST(Overlay, OpaqueBlackCoversExactlyThePictureBand) {
    REQUIRE_ENGINE();
    for (const bool windowed : {false, true}) {
        clearWindow(1.0f, 1.0f, 1.0f);
        setGlState({.texture2D = kOn});
        dirty3DState();
        if (windowed)
            fx().overlayWindow(0.0f, 0.0f, 0.0f, 1.0f);
        else
            fx().overlay(0.0f, 0.0f, 0.0f, 1.0f);
        const WindowImage window = readWindow();
        const std::string pass = windowed ? "overlayWindow" : "overlay";
        for (int y = 0; y < 768; ++y) {
            const int expected = y >= kTop && y < kBottom ? 0 : 255;
            for (int x : {0, 512, 1023}) ASSERT_EQ(window.at(x, y).r, expected) << pass << " at y " << y;
        }
        EXPECT_TRUE(isEnabled(GL_BLEND)) << pass;
        EXPECT_FALSE(isEnabled(GL_TEXTURE_2D)) << pass;
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_EQ(depthWrites, GL_TRUE) << pass;
        expect3DStateOff(pass);
    }
    clearWindow(1.0f, 1.0f, 1.0f);
    fx().overlay(1.0f, 0.0f, 0.0f, 0.5f);
    expectNear(readWindow().at(300, 300), {255, 128, 128}, 1, "half-transparent red over white");
}

TEST(WaveWarp, AtAmountZeroShowsOnlyTheCellBanding) {
    REQUIRE_ENGINE();
    fillPicture([](int, int row) { return encode(row); });
    clearWindow(0.0f, 0.0f, 1.0f);
    setGlState({.blend = kBlendMix});
    dirty3DState();
    fx().waveWarp(textures(), 0, 0.0f);
    const WindowImage window = readWindow();
    // Cells are 12 pixels tall on screen (16 scaled by 576/768) and step
    // 1/48 down the texture, but each spans only 1/64 of it: 16 texture rows
    // shown, then 5.33 skipped.
    int checked = 0;
    for (int y = kTop; y < kBottom; ++y) {
        const int cell = (y - kTop) / 12;
        const double within = ((y - kTop) % 12 + 0.5) / 12.0;
        const double t = 1.0 - cell / 48.0 - within / 64.0;
        const double row = t * 1024.0 - 0.5;
        const double inByte = std::fmod(row, 256.0);
        if (inByte < 2.0 || inByte > 253.0) continue;  // red wraps between texels there
        EXPECT_NEAR(decode(window.at(300, y)), row, 1.5) << "screen row " << y;
        ++checked;
    }
    EXPECT_GT(checked, 500);
    expectNear(window.at(300, 50), {0, 0, 255}, 0, "upper bar untouched");
    EXPECT_FALSE(isEnabled(GL_BLEND));
    expect3DStateOff("waveWarp");
}

TEST(WaveWarp, AmountSwingsTheTextureCoordinates) {
    REQUIRE_ENGINE();
    fillPicture([](int x, int) { return encode(x); });
    const int amount = 5;
    const float phase = 1.0f;
    fx().waveWarp(textures(), amount, phase);
    const WindowImage window = readWindow();
    for (int y : {150, 400, 650})
        for (int x : {200, 500, 800}) {
            // Across a cell the swing hardly changes; take it at the cell's corner.
            const double u = (x / 16 * 16) / 1024.0;
            const double v = 1.0 - ((y - kTop) / 12 * 16) / 768.0;
            const double s = (x + 0.5) / 1024.0 + amount * 0.01 * std::cos(0.03 * u + 0.05 * v + phase);
            EXPECT_NEAR(decode(window.at(x, y)), s * 1024.0 - 0.5, 1.5) << x << ", " << y;
        }
}

TEST(RowWobble, ShiftsEachRowByItsWholePixelAmount) {
    REQUIRE_ENGINE();
    fillPicture([](int x, int) { return encode(x); });
    clearWindow(0.0f, 0.0f, 1.0f);
    const int amplitude = 40;
    const float phase = 0.7f;
    dirty3DState();
    fx().rowWobble(textures(), amplitude, phase);
    const WindowImage window = readWindow();
    int moved = 0;
    for (int i = 0; i < 576; ++i) {
        const float k = static_cast<float>(i) * 0.05f;
        const int shift = static_cast<int>(std::cos(phase * 1.11f + k) * std::sin(12.8f * k + phase) * amplitude);
        EXPECT_EQ(decode(window.at(512, kTop + i)), 512 - shift) << "picture row " << i;
        if (shift != 0) ++moved;
        // Uncovered pixels at the side keep what was there.
        if (shift > 0) expectNear(window.at(0, kTop + i), {0, 0, 255}, 0, "left edge");
    }
    EXPECT_GT(moved, 400);
    expectNear(window.at(512, 50), {0, 0, 255}, 0, "upper bar untouched");
    expect3DStateOff("rowWobble");
}

}  // namespace
