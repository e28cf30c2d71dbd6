// runtime/frame/quit.h and the page's way back from it (page_quit.h).
#include "web/page_quit.h"

#include <emscripten/eventloop.h>

#include <cstdio>

#include "runtime/audio/music.h"
#include "runtime/frame/quit.h"

namespace {

bool leaving = false;
int quitCode = 0;

}  // namespace

void quitProgram(int code) {
    leaving = true;
    quitCode = code;
    stopMusic();
    std::fflush(stdout);
    std::fflush(stderr);
    // No process to end: the call that got here (a frame, a key) is left,
    // and the page's next animation frame sees quitting().
    emscripten_unwind_to_js_event_loop();
}

bool quitting() { return leaving; }

int lastQuitCode() { return quitCode; }

void clearQuit() {
    leaving = false;
    quitCode = 0;
}
