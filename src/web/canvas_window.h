// The page's canvas as the program's window: runtime/frame/window.h, the
// GLUT calls the frame loop makes (title, swap, redisplay) and the GL
// context's side of gfx/egl_context.h, for the browser. The context is
// WebGL 2, and the GL the program calls is the GL compatibility layer's
// (web/gl/gl_compat.h) on top of it.
//
//   keepCanvasPicture(true);   // before openWindow: the picture stays readable
//   openWindow(options);       // the canvas at the display size, its context current
//
// The browser shows what a frame drew once the frame's callback returns;
// the swap only draws what is still pending.
#pragma once

#include <string>

// Whether the canvas keeps its picture after it is shown (WebGL's
// preserveDrawingBuffer), so that a test can read a shot back. Off for
// playback, where it costs a copy a frame.
void keepCanvasPicture(bool keep);

// The text of the last message box, "" for none: why the page stopped.
const std::string& lastPageMessage();
