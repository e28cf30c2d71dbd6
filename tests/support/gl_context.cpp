#include "support/gl_context.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdlib>

bool ensureGlContext() {
    static const bool ready = [] {
        if (!std::getenv("DISPLAY")) return false;
        int argc = 1;
        char name[] = "gl_tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(1024, 768);
        glutCreateWindow("gl_tests");
        return glewInit() == GLEW_OK;
    }();
    return ready;
}
