// PostFx: the full-screen passes that turn the render target's picture into
// the frame on screen: glow, zoom smear, two distortions, the composite over
// the 16:9 picture band, and flat fades. Fixed function only: blurs are made
// by drawing shifted copies of a 256x256 reduction over itself and copying
// the result back with glCopyTexSubImage2D.
//
//   engine->postFx->glow(*engine->textures, false, 0.002f, 0.5f, 8);
//   engine->postFx->composite(*engine->textures, 1.0f, Composite::Picture);
//   engine->postFx->composite(*engine->textures, 1.0f, Composite::GlowAdded);
//   engine->postFx->overlay(0, 0, 0, fade);
//
// The reductions and blurs use the lower-left 512x512 pixels of the window's
// back buffer as scratch, so every frame must then lay the whole picture
// over the picture band (Composite::Picture, waveWarp or rowWobble); the
// window must be at least 512 pixels each way.
//
// Every pass sets its switches through setGlState (gfx/gl_state.h) and
// leaves depth test, face culling, lighting and fog disabled; each sets
// its own projection, modelview matrix and viewport (matrix mode left at
// modelview). glow, zoomBlur, the blended composite modes and the
// overlays leave blending enabled.
#pragma once

class TextureManager;

// What PostFx::composite lays over the picture band, and how.
enum class Composite {
    GlowAdded = 0,  // glowBuffer added at alpha
    GlowMixed = 1,  // glowBuffer mixed in at alpha
    Picture = 2,    // the render target, opaque whatever the alpha
    ZoomAdded = 3,  // zoomBuffer added at alpha
};

class PostFx {
public:
    // Makes the three buffers, in this order.
    void init(TextureManager& textures, int filter);

    // The 1024 picture reduced into the 256 buffer in two bilinear halvings
    // (through halfBuffer). Leaves the window framebuffer bound, blending off,
    // texturing on with the target buffer bound, the 256-square projection.
    void captureGlowBuffer(TextureManager& textures);
    void captureZoomBuffer(TextureManager& textures);

    // Blurs the reduction into glowBuffer: 4 * passes shifted draws (shifts
    // i * offset * 256 pixels, i = 1..passes), blended additively or mixed at
    // alpha. Keeps the caller's modelview matrix; leaves blending on.
    void glow(TextureManager& textures, bool additive, float offset, float alpha, int passes);
    // Smears the reduction outward from the centre into zoomBuffer: each pass
    // lays the buffer, enlarged by scale * 256 pixels each side, over itself.
    void zoomBlur(TextureManager& textures, float scale, float alpha, int passes);

    // Lays a picture over the picture band of the window (see Composite).
    void composite(TextureManager& textures, float alpha, Composite mode);

    // Flat colour blended over the picture band in display coordinates.
    // Leaves texturing off, depth writes on, blending on.
    void overlay(float r, float g, float b, float a);
    // The same in window coordinates.
    void overlayWindow(float r, float g, float b, float a);

    // The render target redrawn through a 16-pixel grid whose texture
    // coordinates swing by amount / 100. Each cell takes a texture band as
    // tall as it is wide (1/64 of the height at 1024 wide) while the cells
    // step 16 / displayHeight down the picture, so bands are skipped on a
    // non-square display, even at amount 0. Leaves blending off and the
    // render target texture bound.
    void waveWarp(TextureManager& textures, int amount, float phase);
    // The render target redrawn one pixel row at a time, each row shifted
    // sideways by a whole number of pixels up to amplitude. Leaves blending
    // off and the render target texture bound.
    void rowWobble(TextureManager& textures, int amplitude, float phase);

    // TextureManager indices.
    int glowBuffer = 0;  // 256: the reduced picture, then its blur
    int zoomBuffer = 0;  // 256: the reduced picture, then its smear
    int halfBuffer = 0;  // 512: the first halving

private:
    void capture(TextureManager& textures, int target);
};
