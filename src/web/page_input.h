// The browser's keys and mouse as the window toolkit's callbacks: what the
// show's controls (runtime/controls) register with glutKeyboardFunc,
// glutSpecialFunc and glutMouseFunc is called with GLUT's key codes,
// buttons and modifiers, as freeglut calls it natively. And GLUT's bitmap
// text, which the page has no fonts for: dev mode's line is shown as a
// line of text over the picture (page_js.h, pageShowLine).
//
// The page (page_library.js) sends the events only while the show plays;
// before it, a key or a click is the gesture that starts it.
#pragma once

// After each frame of the show: the text it drew with glutBitmapString goes
// to the page's line, which no text hides.
void showBitmapText();

extern "C" {
// From the page: a key pressed, as GLUT's character (key, special 0) or
// special key code (special 1); modifiers as glutGetModifiers() gives them.
void pageKey(int key, int special, int modifiers);
// From the page: a mouse button (GLUT's numbering) went down (state 0) or
// up (1) at x, y in the canvas's pixels.
void pageMouse(int button, int state, int x, int y, int modifiers);
}
