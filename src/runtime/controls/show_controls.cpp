#include "runtime/controls/show_controls.h"

#include <GL/freeglut.h>

#include "runtime/audio/music.h"
#include "runtime/frame/quit.h"

namespace {

void keyboard(unsigned char key, int, int) {
    if (key == 27) quitProgram(0);
}

void mouseButton(int button, int state, int, int) {
    if (state != GLUT_UP) return;
    if (button == GLUT_LEFT_BUTTON) seekMusic(1000.0f);
    if (button == GLUT_RIGHT_BUTTON) seekMusic(-1000.0f);
}

}  // namespace

void takeShowControls() {
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouseButton);
}
