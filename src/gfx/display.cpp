#include "gfx/display.h"

#include <cstdio>
#include <cstdlib>

int windowWidth = 1024;
int windowHeight = 768;
int displayWidth = 1024;
int displayHeight = 768;

namespace {
void (*quitHook)(int code) = nullptr;
}  // namespace

int letterboxTop() {
    return static_cast<int>((displayHeight - displayWidth * 9 * 0.0625) * 0.5);
}

int letterboxBottom() { return windowHeight - letterboxTop(); }

void setQuitHook(void (*quit)(int code)) { quitHook = quit; }

void requestQuit(int code) {
    if (quitHook) quitHook(code);  // does not come back
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(code);
}
