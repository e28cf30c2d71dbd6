#include "gfx/picture_fit.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "gfx/gl_extensions.h"
#include "gfx/gl_state.h"

namespace {

unsigned int pictureFbo = 0;
unsigned int pictureTexture = 0;
int pictureWidth = 0;
int pictureHeight = 0;
bool cannotFit = false;

bool makePicture(int width, int height) {
    // Clamped to its edge: GL_CLAMP would blend the border colour into the
    // outermost pixels when scaled.
    pictureTexture = makeLinearTexture(GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    std::string error;
    pictureFbo = makeOffscreenFramebuffer(width, height, pictureTexture, error);
    if (!pictureFbo) {
        std::fprintf(stderr, "afterglow: %s; a resized window shows the picture unscaled\n", error.c_str());
        glDeleteTextures(1, &pictureTexture);
        pictureTexture = 0;
        return false;
    }
    pictureWidth = width;
    pictureHeight = height;
    return true;
}

}  // namespace

FitRect fitPicture(int pictureW, int pictureH, int windowW, int windowH) {
    FitRect r;
    // Compared as whole products, so a window of exactly the picture's
    // aspect gets no one-pixel seam from rounding.
    if (static_cast<long long>(windowW) * pictureH <= static_cast<long long>(windowH) * pictureW) {
        r.width = windowW;
        r.height = static_cast<int>(static_cast<long long>(windowW) * pictureH / pictureW);
    } else {
        r.height = windowH;
        r.width = static_cast<int>(static_cast<long long>(windowH) * pictureW / pictureH);
    }
    r.x = (windowW - r.width) / 2;
    r.y = (windowH - r.height) / 2;
    return r;
}

bool beginFittedPicture(int width, int height) {
    if (cannotFit) return false;
    if (!pictureFbo && !makePicture(width, height)) {
        cannotFit = true;
        return false;
    }
    setWindowTarget(pictureFbo);
    return true;
}

void endFittedPicture(int width, int height) {
    setWindowTarget(0);
    setGlState(kCopyState);
    glViewport(0, 0, width, height);
    // Black around the picture; the scenes' clear colour stays theirs. The
    // attribute stack also holds the blend switches, but they come back as
    // they went in, so the funnel's copy of them stays true.
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, pictureTexture);
    glColor3f(1.0f, 1.0f, 1.0f);
    const FitRect r = fitPicture(pictureWidth, pictureHeight, width, height);
    const float x0 = static_cast<float>(r.x), x1 = static_cast<float>(r.x + r.width);
    const float y0 = static_cast<float>(r.y), y1 = static_cast<float>(r.y + r.height);
    // Framebuffer images are stored bottom row first: t = 1 is the top.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x0, y0);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x1, y0);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x1, y1);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y1);
    glEnd();
    // The state the bars leave at the end of every other frame, so the next
    // frame starts the same whether it is fitted or not.
    glBindTexture(GL_TEXTURE_2D, 0);
    setGlState({.texture2D = kOff});
    glColor3f(0.0f, 0.0f, 0.0f);
}
