// freeglut's header for the web build: the standard GLUT interface, whose
// few calls the frame loop makes (the title, the swap, a redisplay) the web
// platform library answers (src/web/canvas_window.cpp).
#pragma once

#include <GL/freeglut_std.h>
