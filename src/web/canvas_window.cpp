// runtime/frame/window.h, GLUT's title, swap and redisplay, and
// gfx/egl_context.h on the page's canvas (canvas_window.h).
#include "web/canvas_window.h"

#include <GL/freeglut.h>
#include <GL/glew.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "gfx/display.h"
#include "gfx/egl_context.h"
#include "gfx/message_box.h"
#include "gl_compat.h"
#include "runtime/frame/window.h"
#include "web/page_js.h"

namespace {

constexpr const char* kCanvas = "#canvas";

bool keepPicture = false;
bool opened = false;

}  // namespace

void keepCanvasPicture(bool keep) { keepPicture = keep; }

void openWindow(const Options&) {
    emscripten_set_canvas_element_size(kCanvas, displayWidth, displayHeight);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // What the native window's framebuffer is as the passes use it: RGB
    // with a depth buffer, one sample a pixel (shots and captures are drawn
    // off-screen without multisampling natively too).
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = keepPicture;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (context <= 0) {
        showMessageBox("This browser gives the page no WebGL 2, which the show is drawn with.", "afterglow");
        requestQuit(1);
    }
    emscripten_webgl_make_context_current(context);
    startGlCompat();
    opened = true;
}

bool openWithoutWindow(const std::string&) { return false; }
bool hasWindow() { return opened; }
bool takeWindowCloseRequest() { return false; }

extern "C" {

void glutSetWindowTitle(const char* title) { pageSetTitle(title); }
// The browser shows the canvas when the frame's callback returns; what is
// still pending is drawn now.
void glutSwapBuffers() { glFinish(); }
// Every animation frame is drawn anyway.
void glutPostRedisplay() {}

}  // extern "C"

const char* glPlatformName(GlPlatform) { return "WebGL 2 canvas"; }
GlPlatform currentGlPlatform() { return GlPlatform::GlxWindow; }

bool createEglContext(std::string& error) {
    error = "a page draws on its canvas, not through EGL";
    return false;
}

void* glEntryPoint(const char* name) { return glCompatEntryPoint(name); }
bool initGlew() { return glewInit() == GLEW_OK; }
