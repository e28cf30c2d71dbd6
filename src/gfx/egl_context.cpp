#include "gfx/egl_context.h"

#include <GL/glew.h>
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glx.h>

#include <cstring>
#include <iterator>

namespace {

GlPlatform platform = GlPlatform::GlxWindow;

template <typename Fn>
Fn eglFunction(const char* name) {
    return reinterpret_cast<Fn>(eglGetProcAddress(name));
}

// A context on display made current without a surface; false (the display
// let go again) with the reason.
bool makeCurrentContext(EGLDisplay display, std::string& error) {
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        error = "it cannot be initialised";
        return false;
    }
    auto fail = [&](const char* why) {
        error = why;
        eglTerminate(display);
        return false;
    };
    if (!eglBindAPI(EGL_OPENGL_API)) return fail("it has no desktop OpenGL");

    // The config only matters for surfaces, and there are none.
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_DONT_CARE, EGL_NONE};
    EGLConfig config = EGL_NO_CONFIG_KHR;
    EGLint configs = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &configs) || configs < 1) {
        if (!extensionListed(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_no_config_context"))
            return fail("it has no OpenGL config");
        config = EGL_NO_CONFIG_KHR;
    }
    // The program is fixed-function GL: it needs the compatibility profile.
    // An EGL without profiles (before 1.5 and EGL_KHR_create_context) gives
    // nothing else.
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                    EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, compatibility);
    if (context == EGL_NO_CONTEXT) context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) return fail("it gives no OpenGL context");
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) || !glGetString(GL_VERSION)) {
        eglDestroyContext(display, context);
        return fail("its context cannot be used without a surface");
    }
    return true;  // kept until the process exits
}

// The first device that is not Mesa's software one and gives a context.
bool deviceContext(const char* clientExtensions, std::string& why) {
    if (!extensionListed(clientExtensions, "EGL_EXT_platform_device") ||
        !extensionListed(clientExtensions, "EGL_EXT_device_enumeration")) {
        why = "the device platform is not offered";
        return false;
    }
    auto queryDevices = eglFunction<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
    auto deviceString = eglFunction<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
    auto platformDisplay = eglFunction<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!queryDevices || !deviceString || !platformDisplay ||
        !queryDevices(static_cast<EGLint>(std::size(devices)), devices, &count))
        count = 0;
    why = "no device but Mesa's software one";
    for (EGLint i = 0; i < count; ++i) {
        if (extensionListed(deviceString(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software")) continue;
        std::string error;
        if (makeCurrentContext(platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr), error)) return true;
        why = "device " + std::to_string(i) + ": " + error;
    }
    return false;
}

bool surfacelessContext(const char* clientExtensions, std::string& why) {
    auto platformDisplay = eglFunction<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (!extensionListed(clientExtensions, "EGL_MESA_platform_surfaceless") || !platformDisplay) {
        why = "the surfaceless platform is not offered";
        return false;
    }
    std::string error;
    if (makeCurrentContext(platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr), error))
        return true;
    why = "the surfaceless platform: " + error;
    return false;
}

}  // namespace

bool extensionListed(const char* list, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* at = list; at && (at = std::strstr(at, name)); at += length) {
        const bool starts = at == list || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0')) return true;
    }
    return false;
}

const char* glPlatformName(GlPlatform p) {
    switch (p) {
        case GlPlatform::EglDevice: return "EGL device";
        case GlPlatform::EglSurfaceless: return "EGL surfaceless";
        case GlPlatform::GlxWindow: break;
    }
    return "GLX window";
}

GlPlatform currentGlPlatform() { return platform; }

bool createEglContext(std::string& error) {
    // Null when EGL has no client extensions, and then no platforms either.
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!clientExtensions) {
        error = "EGL offers no platforms (no client extensions)";
        return false;
    }
    std::string device, surfaceless;
    if (deviceContext(clientExtensions, device)) {
        platform = GlPlatform::EglDevice;
        return true;
    }
    if (surfacelessContext(clientExtensions, surfaceless)) {
        platform = GlPlatform::EglSurfaceless;
        return true;
    }
    error = "no EGL platform gives an OpenGL context (" + device + "; " + surfaceless + ")";
    return false;
}

void* glEntryPoint(const char* name) {
    if (platform != GlPlatform::GlxWindow) return reinterpret_cast<void*>(eglGetProcAddress(name));
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

bool initGlew() {
    const GLenum result = glewInit();
    // GLEW loads the OpenGL entry points, then GLX's, which need the X
    // display of a GLX context: an EGL context has none, and nothing of
    // GLX is used with it.
    return result == GLEW_OK || (result == GLEW_ERROR_NO_GLX_DISPLAY && platform != GlPlatform::GlxWindow);
}
