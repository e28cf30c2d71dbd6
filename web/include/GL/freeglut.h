// freeglut's header for the web build: the standard GLUT interface, whose
// few calls the program makes the web platform library answers: the title,
// the swap and a redisplay (src/web/canvas_window.cpp), the keyboard and
// mouse callbacks and bitmap text (src/web/page_input.cpp).
#pragma once

#include <GL/freeglut_std.h>

// freeglut's own extension, which dev mode's line uses.
extern "C" void glutBitmapString(void* font, const unsigned char* text);
