// gfx/message_box.h in the page: the box is a line over the canvas.
#include <cstdio>
#include <string>

#include "gfx/message_box.h"
#include "web/canvas_window.h"
#include "web/page_js.h"

namespace {

bool boxesEnabled = true;
std::string lastMessage;

}  // namespace

void setMessageBoxesEnabled(bool enabled) { boxesEnabled = enabled; }
// Nothing in the page hides a box.
void setMessageBoxHooks(void (*)(), void (*)()) {}

void showMessageBox(const char* text, const char* caption, MessageIcon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    lastMessage = text;
    if (boxesEnabled) pageShowMessage(caption, text);
}

const std::string& lastPageMessage() { return lastMessage; }
