// GLUT's input callbacks and bitmap text in the page (page_input.h).
#include "web/page_input.h"

#include <GL/freeglut.h>
#include <emscripten/emscripten.h>

#include <cstring>
#include <string>

#include "web/page_js.h"

namespace {

void (*keyboardCallback)(unsigned char, int, int) = nullptr;
void (*specialCallback)(int, int, int) = nullptr;
void (*mouseCallback)(int, int, int, int) = nullptr;
int currentModifiers = 0;  // valid inside a callback, as GLUT's
int mouseX = 0;
int mouseY = 0;

// GLUT's 8 by 13 font is 8 pixels a character.
constexpr int kBitmapCharWidth = 8;
std::string frameText;  // drawn by this frame
std::string shownText;

}  // namespace

void showBitmapText() {
    if (frameText != shownText) pageShowLine(frameText.c_str());
    shownText = frameText;
    frameText.clear();
}

extern "C" {

void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) { keyboardCallback = callback; }
void glutSpecialFunc(void (*callback)(int, int, int)) { specialCallback = callback; }
void glutMouseFunc(void (*callback)(int, int, int, int)) { mouseCallback = callback; }
int glutGetModifiers() { return currentModifiers; }

// The fonts are only named: the text goes to the page (showBitmapText).
void* glutBitmap8By13 = nullptr;
int glutBitmapLength(void*, const unsigned char* text) {
    return kBitmapCharWidth * static_cast<int>(std::strlen(reinterpret_cast<const char*>(text)));
}
void glutBitmapString(void*, const unsigned char* text) { frameText += reinterpret_cast<const char*>(text); }
// Places nothing: the page puts its line of text where dev mode's goes.
void glRasterPos2i(GLint, GLint) {}

EMSCRIPTEN_KEEPALIVE void pageKey(int key, int special, int modifiers) {
    currentModifiers = modifiers;
    if (special && specialCallback) specialCallback(key, mouseX, mouseY);
    if (!special && keyboardCallback) keyboardCallback(static_cast<unsigned char>(key), mouseX, mouseY);
    currentModifiers = 0;
}

EMSCRIPTEN_KEEPALIVE void pageMouse(int button, int state, int x, int y, int modifiers) {
    mouseX = x;
    mouseY = y;
    currentModifiers = modifiers;
    if (mouseCallback) mouseCallback(button, state, x, y);
    currentModifiers = 0;
}

}  // extern "C"
