// The GL context without a window: EGL, for drawing off-screen on a machine
// with no X display (a render server, a cloud GPU, a test run).
//
//   std::string error;
//   if (!createEglContext(error)) ...;        // error says what failed
//   // current from now on, for the whole run
//   std::fprintf(stderr, "... through %s\n", glPlatformName(currentGlPlatform()));
//
// The context is a desktop OpenGL compatibility context with no surface:
// framebuffer 0 is incomplete, so everything is drawn into framebuffer
// objects. The device platform is tried first, so that a GPU is used when
// there is one (NVIDIA's driver offers its GPUs only there); Mesa's
// software device is passed over, as Mesa's surfaceless platform, tried
// next, gives the same renderer (and a Mesa GPU when there is one).
//
// Until createEglContext succeeds the program's context is taken to be the
// toolkit's GLX window, so code that never calls it (the window path, the
// tests' window) behaves as before.
#pragma once

#include <string>

enum class GlPlatform { GlxWindow, EglDevice, EglSurfaceless };

// "GLX window", "EGL device", "EGL surfaceless".
const char* glPlatformName(GlPlatform platform);
GlPlatform currentGlPlatform();

// Makes the EGL context and makes it current. False with the reason when
// no platform gives one.
bool createEglContext(std::string& error);

// The address of a GL entry point by name, through whichever of EGL and
// GLX made the context; null when the lookup knows none.
void* glEntryPoint(const char* name);

// Whether name is one of the whole names in a space-separated extension
// list (EGL's and GLX's strings); false for a null list.
bool extensionListed(const char* list, const char* name);

// Initialises GLEW for the current context: true when its OpenGL entry
// points are loaded, which is all the program uses of it.
bool initGlew();
