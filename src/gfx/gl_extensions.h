// GlExtensions: the start-up capability checks, the framebuffer entry points
// fetched by name, and the one 1024x1024 render target every scene draws into.
//
//   glExtensions.load();                         // once, from initialize()
//   bindTextureFBO(glExtensions.fboColorTexture); // draw into the target
//   ...
//   unbindFBO();                                  // back to the window
//
// load() does not return when the driver lacks something required: it shows
// a message box and ends the process.
//
// Plain C types stand in for the GL typedefs, so this header may come before
// or after GLEW or any other GL header.
#pragma once

#include <string>

class GlExtensions {
public:
    // Extension tests, entry points, then createRenderTarget(). Leaves the
    // window framebuffer bound.
    void load();
    // Makes fbo, depthRenderbuffer and fboColorTexture. Leaves framebuffer 0,
    // the renderbuffer and fboColorTexture bound.
    void createRenderTarget();

    bool loaded = false;

    // The framebuffer entry points, fetched in this order; null when missing.
    // All must be there, though the program calls only those with named
    // parameters.
    unsigned char (*isRenderbuffer)(unsigned int) = nullptr;
    void (*bindRenderbuffer)(unsigned int target, unsigned int renderbuffer) = nullptr;
    void (*deleteRenderbuffers)(int, const unsigned int*) = nullptr;
    void (*genRenderbuffers)(int n, unsigned int* renderbuffers) = nullptr;
    void (*renderbufferStorage)(unsigned int target, unsigned int format, int width, int height) = nullptr;
    void (*getRenderbufferParameteriv)(unsigned int, unsigned int, int*) = nullptr;
    unsigned char (*isFramebuffer)(unsigned int) = nullptr;
    void (*bindFramebuffer)(unsigned int target, unsigned int framebuffer) = nullptr;
    void (*deleteFramebuffers)(int, const unsigned int*) = nullptr;
    void (*genFramebuffers)(int n, unsigned int* framebuffers) = nullptr;
    unsigned int (*checkFramebufferStatus)(unsigned int target) = nullptr;
    void (*framebufferTexture1D)(unsigned int, unsigned int, unsigned int, unsigned int, int) = nullptr;
    void (*framebufferTexture2D)(unsigned int target, unsigned int attachment, unsigned int textureTarget,
                                 unsigned int texture, int level) = nullptr;
    void (*framebufferTexture3D)(unsigned int, unsigned int, unsigned int, unsigned int, int, int) = nullptr;
    void (*framebufferRenderbuffer)(unsigned int target, unsigned int attachment, unsigned int renderbufferTarget,
                                    unsigned int renderbuffer) = nullptr;
    void (*getFramebufferAttachmentParameteriv)(unsigned int, unsigned int, unsigned int, int*) = nullptr;
    void (*generateMipmap)(unsigned int) = nullptr;

    unsigned int fbo = 0;
    unsigned int depthRenderbuffer = 0;
    unsigned int fboColorTexture = 0;  // a plain GL texture, not a TextureManager entry
};

extern GlExtensions glExtensions;

// From now on draws land in texture (with the target's depth buffer).
// Leaves fbo bound with texture and depthRenderbuffer attached, viewport
// 0, 0, 1024, 1024.
void bindTextureFBO(unsigned int texture);
// From now on draws land in the window. Leaves the window target bound and
// the viewport 0, 0, displayWidth, displayHeight.
void unbindFBO();

// The window target: framebuffer 0 normally; while capturing, an off-screen
// framebuffer of the capture size, so sizes larger than the screen work and
// nothing depends on the window being visible. Everything that means "the
// window" binds it through bindWindowTarget().
void bindWindowTarget();
// Makes the off-screen window target (colour and depth renderbuffers of
// width x height) and binds it. Returns false with the reason when the
// driver cannot make it complete.
bool createOffscreenWindowTarget(int width, int height, std::string& error);
// For a context without a window (gfx/egl_context.h), which has no
// framebuffer of its own: load() makes the window target off-screen at
// width x height as soon as the framebuffer entry points are there, before
// the render target's status check, which asks about the window's
// framebuffer. When the driver cannot make it, load() says so on stderr and
// ends the process with code 1.
void planOffscreenWindowTarget(int width, int height);
// True while the window target is off-screen: read the colour attachment,
// not the back buffer.
bool windowTargetIsOffscreen();
// A new texture name with GL_LINEAR filters and wrap (a GL wrap mode) in
// both directions, left bound as GL_TEXTURE_2D; its image is the caller's.
unsigned int makeLinearTexture(unsigned int wrap);
// A complete off-screen framebuffer of width x height with a depth
// renderbuffer and, as its colour, colourTexture (a texture of that size)
// or, when 0, an RGBA8 renderbuffer. Returns it bound, its colour the draw
// and read buffer; or 0 with the reason, the window target bound again.
unsigned int makeOffscreenFramebuffer(int width, int height, unsigned int colourTexture, std::string& error);
// Makes framebuffer (0: the window's own) the window target and binds it.
void setWindowTarget(unsigned int framebuffer);

// Side length of the square render target.
constexpr int kRenderTargetSize = 1024;

// Test hook: AFTERGLOW_HIDE_GL_EXTENSIONS holds comma-separated names; every
// extension, framebuffer entry point or "GL_VERSION_2_0" whose name contains
// one of them looks missing to the start-up checks. That way the failure
// paths can be run on a driver that has everything.
// True when name contains one of the names in the variable.
bool hiddenByEnvironment(const char* name);
// The extension string with every name hidden by the variable left out.
std::string visibleExtensionString(const char* extensions);

// Acts on the render target's status: returns when complete; otherwise ends
// the process with code 0, after a message box for the unsupported case.
void stopUnlessFramebufferComplete(unsigned int status);
