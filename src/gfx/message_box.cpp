#include "gfx/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "runtime/environment/environment.h"

namespace {
bool boxesEnabled = true;
void (*beforeEachBox)() = nullptr;
void (*afterEachBox)() = nullptr;
}  // namespace

void setMessageBoxesEnabled(bool enabled) { boxesEnabled = enabled; }

void setMessageBoxHooks(void (*beforeBox)(), void (*afterBox)()) {
    beforeEachBox = beforeBox;
    afterEachBox = afterBox;
}

void showMessageBox(const char* text, const char* caption, MessageIcon icon) {
    // Always on the console too: logs should say why the program stopped.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (!boxesEnabled || environmentSwitch(EnvVar::NoMessageBox)) return;
    const Uint32 flags = icon == MessageIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING;
    // Without a window system no box can be shown; the console line stands.
    if (beforeEachBox) beforeEachBox();
    SDL_ShowSimpleMessageBox(flags, caption, text, nullptr);
    if (afterEachBox) afterEachBox();
}
