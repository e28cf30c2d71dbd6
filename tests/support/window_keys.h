// Finding the program's window on the test display and pressing keys in it
// through XTest, for the tests that need a running program to stop.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <string>
#include <thread>

// The first viewable top-level window, waiting for one until deadline; 0 if
// none appeared.
inline Window waitForWindow(Display* display, std::chrono::steady_clock::time_point deadline) {
    while (std::chrono::steady_clock::now() < deadline) {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned int n = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &n);
        for (unsigned int i = 0; i < n; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
                found = children[i];
        }
        if (children) XFree(children);
        if (found) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

// The window's title ("" when it has none), in whichever encoding it was
// set: the ASCII titles here read the same in all of them.
inline std::string windowTitle(Display* display, Window window) {
    XTextProperty name{};
    std::string title;
    if (XGetWMName(display, window, &name) && name.value) {
        title.assign(reinterpret_cast<const char*>(name.value), name.nitems);
        XFree(name.value);
    }
    return title;
}

// Waits until the title shows a frame count (it reads 0 during the first
// second of music): the program is playing. Returns the last title seen.
inline std::string waitForFrameCount(Display* display, Window target,
                                     std::chrono::steady_clock::time_point deadline) {
    std::string title;
    while (std::chrono::steady_clock::now() < deadline) {
        title = windowTitle(display, target);
        if (!title.empty() && title != "0") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return title;
}

// Focuses target and presses and releases key, with Shift held if asked.
inline void press(Display* display, Window target, KeySym key, bool shift = false) {
    XSetInputFocus(display, target, RevertToParent, CurrentTime);
    const KeyCode shiftKey = XKeysymToKeycode(display, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(display, key);
    if (shift) XTestFakeKeyEvent(display, shiftKey, True, 0);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    if (shift) XTestFakeKeyEvent(display, shiftKey, False, 0);
    XFlush(display);
}

// Clicks mouse button (1 left, 3 right) over the program's window, which
// the tests place at the screen's top left.
inline void click(Display* display, unsigned int button) {
    XTestFakeMotionEvent(display, -1, 100, 200, 0);
    XTestFakeButtonEvent(display, button, True, 0);
    XTestFakeButtonEvent(display, button, False, 0);
    XFlush(display);
}

// Focuses target and presses and releases Esc.
inline void pressEscape(Display* display, Window target) { press(display, target, XK_Escape); }

// For runProcess: once the program's window is on screen (within a minute),
// presses Esc in it.
inline void pressEscapeOnceShown(int, void*) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    const Window target = waitForWindow(display, std::chrono::steady_clock::now() + std::chrono::seconds(60));
    if (target) pressEscape(display, target);
    XCloseDisplay(display);
}
