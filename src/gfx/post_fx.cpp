#include "gfx/post_fx.h"

#include <GL/gl.h>

#include <cmath>

#include "gfx/display.h"
#include "gfx/gl_extensions.h"
#include "gfx/gl_state.h"
#include "gfx/texture_manager.h"

namespace {

constexpr int kHalfSize = 512;
constexpr int kBufferSize = 256;
constexpr int kWarpCell = 16;

// y-down pixel projection of a w x h area; modelview identity.
void pixelProjection(float w, float h) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, w, h, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The n x n scratch square in the window's lower-left corner.
void squareProjection(int n) {
    pixelProjection(static_cast<float>(n), static_cast<float>(n));
    glViewport(0, 0, n, n);
}

// A quad between lo and hi on both axes, showing the whole bound texture
// upright (copied framebuffer images are stored bottom row first).
void drawSquare(float lo, float hi) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(lo, lo);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(hi, lo);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(hi, hi);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(lo, hi);
    glEnd();
}

void drawSquare(int n) { drawSquare(0.0f, static_cast<float>(n)); }

// Binds the buffer and copies the lower-left n x n pixels into it.
void copyInto(TextureManager& textures, int index, int n) {
    textures.bind(index);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, n, n);
}

// The whole texture over the picture band, its top row at the top.
void drawPictureQuad() {
    const float top = static_cast<float>(letterboxTop());
    const float bottom = static_cast<float>(letterboxBottom());
    const float w = static_cast<float>(displayWidth);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, top);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, top);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, bottom);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, bottom);
    glEnd();
}

// Set-up shared by the distortions: display projection, render target bound
// for reading, drawing into the window, opaque white.
void beginRedraw() {
    setGlState(kCopyState);
    pixelProjection(static_cast<float>(displayWidth), static_cast<float>(displayHeight));
    glViewport(0, 0, displayWidth, displayHeight);
    unbindFBO();
    glBindTexture(GL_TEXTURE_2D, glExtensions.fboColorTexture);
    glColor3f(1.0f, 1.0f, 1.0f);
}

// Blends a flat colour over the picture band; leaves blending on.
void fillBand(float r, float g, float b, float a) {
    setGlState({.blend = kBlendMix});
    glColor4f(r, g, b, a);
    drawPictureQuad();
}

// Flat colour, no depth writes: the overlay must not hide later 3D work.
void beginOverlay() {
    setGlState({.depthTest = kOff,
                .depthWrite = kOff,
                .cullFace = kOff,
                .texture2D = kOff,
                .lighting = kOff,
                .fog = kOff});
}

}  // namespace

void PostFx::init(TextureManager& textures, int filter) {
    glowBuffer = textures.createBlank(kBufferSize, filter);
    zoomBuffer = textures.createBlank(kBufferSize, filter);
    halfBuffer = textures.createBlank(kHalfSize, filter);
}

void PostFx::capture(TextureManager& textures, int target) {
    setGlState(kCopyState);
    unbindFBO();
    glBindTexture(GL_TEXTURE_2D, glExtensions.fboColorTexture);
    glColor3f(1.0f, 1.0f, 1.0f);
    squareProjection(kHalfSize);
    drawSquare(kHalfSize);
    copyInto(textures, halfBuffer, kHalfSize);
    squareProjection(kBufferSize);
    drawSquare(kBufferSize);
    copyInto(textures, target, kBufferSize);
}

void PostFx::captureGlowBuffer(TextureManager& textures) { capture(textures, glowBuffer); }

void PostFx::captureZoomBuffer(TextureManager& textures) { capture(textures, zoomBuffer); }

void PostFx::glow(TextureManager& textures, bool additive, float offset, float alpha, int passes) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    captureGlowBuffer(textures);
    textures.bind(glowBuffer);
    setGlState(kFlatState);
    setGlState({.blend = additive ? kBlendAdd : kBlendMix});
    squareProjection(kBufferSize);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    const float step = offset * kBufferSize;
    for (int i = 1; i <= passes; ++i) {
        const float s = static_cast<float>(i) * step;
        const float shifts[4][2] = {{s, 0.0f}, {-s, 0.0f}, {0.0f, -s}, {0.0f, s}};
        for (const auto& shift : shifts) {
            glPushMatrix();
            glTranslatef(shift[0], shift[1], 0.0f);
            drawSquare(kBufferSize);
            glPopMatrix();
            // Each copy feeds the next draw, so the blur widens with every step.
            copyInto(textures, glowBuffer, kBufferSize);
        }
    }
    glPopMatrix();
}

void PostFx::zoomBlur(TextureManager& textures, float scale, float alpha, int passes) {
    setGlState(kFlatState);
    setGlState({.blend = kBlendOff});
    unbindFBO();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    captureZoomBuffer(textures);
    textures.bind(zoomBuffer);
    setGlState(kFlatState);
    setGlState({.blend = kBlendMix});
    squareProjection(kBufferSize);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    const float d = scale * kBufferSize;
    for (int i = 0; i < passes; ++i) {
        glPushMatrix();
        drawSquare(-d, kBufferSize + d);
        glPopMatrix();
        copyInto(textures, zoomBuffer, kBufferSize);
    }
    glPopMatrix();
}

void PostFx::composite(TextureManager& textures, float alpha, Composite mode) {
    setGlState(kFlatState);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, windowWidth, windowHeight);
    glOrtho(0.0, windowWidth, windowHeight, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    switch (mode) {
        case Composite::GlowAdded:
        case Composite::GlowMixed:
        case Composite::ZoomAdded:
            setGlState({.blend = mode == Composite::GlowMixed ? kBlendMix : kBlendAdd});
            glColor4f(1.0f, 1.0f, 1.0f, alpha);
            textures.bind(mode == Composite::ZoomAdded ? zoomBuffer : glowBuffer);
            break;
        case Composite::Picture:
            setGlState({.blend = kBlendOff, .texture2D = kOn});
            // unbindFBO sets the display-sized viewport.
            unbindFBO();
            glColor3f(1.0f, 1.0f, 1.0f);
            glBindTexture(GL_TEXTURE_2D, glExtensions.fboColorTexture);
            break;
        default:
            return;
    }
    drawPictureQuad();
}

void PostFx::overlay(float r, float g, float b, float a) {
    beginOverlay();
    pixelProjection(static_cast<float>(displayWidth), static_cast<float>(displayHeight));
    glViewport(0, 0, displayWidth, displayHeight);
    fillBand(r, g, b, a);
    setGlState({.depthWrite = kOn});
}

void PostFx::overlayWindow(float r, float g, float b, float a) {
    beginOverlay();
    glViewport(0, 0, windowWidth, windowHeight);
    pixelProjection(static_cast<float>(windowWidth), static_cast<float>(windowHeight));
    fillBand(r, g, b, a);
    setGlState({.depthWrite = kOn});
}

void PostFx::waveWarp(TextureManager&, int amount, float phase) {
    beginRedraw();
    const int top = letterboxTop();
    const float pictureH = static_cast<float>(letterboxBottom() - top);
    const float du = 1.0f / static_cast<float>(displayWidth / kWarpCell);
    const float pictureScale = pictureH / static_cast<float>(displayHeight);
    const float cellHeight = kWarpCell * pictureScale;
    const float amp = static_cast<float>(amount) * 0.01f;
    auto warpedTexCoord = [&](float u, float v) {
        glTexCoord2f(u + amp * std::cos(0.03f * u + 0.05f * v + phase),
                     v + amp * std::sin(0.09f * u + 0.07f * v + phase));
    };
    glBegin(GL_QUADS);
    for (int x = 0; x < displayWidth; x += kWarpCell) {
        const float x0 = static_cast<float>(x);
        const float x1 = x0 + kWarpCell;
        const float u = x0 / static_cast<float>(displayWidth);
        for (int y = 0; y < displayHeight; y += kWarpCell) {
            const float ys = static_cast<float>(top) + static_cast<float>(y) * pictureScale;
            const float v = 1.0f - static_cast<float>(y) / static_cast<float>(displayHeight);
            // The band inside a cell is du tall, as wide as it is high in
            // texture space, whatever the cells' vertical step.
            warpedTexCoord(u, v);
            glVertex2f(x0, ys);
            warpedTexCoord(u + du, v);
            glVertex2f(x1, ys);
            warpedTexCoord(u + du, v - du);
            glVertex2f(x1, ys + cellHeight);
            warpedTexCoord(u, v - du);
            glVertex2f(x0, ys + cellHeight);
        }
    }
    glEnd();
}

void PostFx::rowWobble(TextureManager&, int amplitude, float phase) {
    beginRedraw();
    const int top = letterboxTop();
    const float invH = 1.0f / static_cast<float>(displayHeight);
    const float pictureH = static_cast<float>(letterboxBottom() - top);
    const float p = phase * 1.11f;
    const float w = static_cast<float>(displayWidth);
    glBegin(GL_QUADS);
    // displayHeight rows from the picture's top: the last ones fall under the
    // lower bar, which covers them.
    for (int i = 0; i < displayHeight; ++i) {
        const float k = static_cast<float>(i) * 0.05f;
        const float y = static_cast<float>(top + i);
        const float shift = static_cast<float>(
            static_cast<int>(std::cos(p + k) * std::sin(12.8f * k + phase) * static_cast<float>(amplitude)));
        const float g = static_cast<float>(i) / pictureH;
        glTexCoord2f(0.0f, 1.0f - (g + invH));
        glVertex2f(shift, y);
        glTexCoord2f(1.0f, 1.0f - (g + invH));
        glVertex2f(shift + w, y);
        glTexCoord2f(1.0f, 1.0f - g);
        glVertex2f(shift + w, y + 1.0f);
        glTexCoord2f(0.0f, 1.0f - g);
        glVertex2f(shift, y + 1.0f);
    }
    glEnd();
}
