// What a viewer sees on a test's X screen: the whole screen or a window
// grabbed as an image, which top-level windows are shown, the pointer and
// a window's class, and the window manager's close request sent as a
// window manager sends it.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <string>
#include <vector>

#include "support/window_keys.h"
#include "support/png_read.h"

// A window as it is on screen; the root window shows every window on it.
inline RgbImage grabWindow(Display* display, Window window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    RgbImage image;
    XImage* grab = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!grab) return image;
    image.width = attributes.width;
    image.height = attributes.height;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 3);
    uint8_t* out = image.pixels.data();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned long pixel = XGetPixel(grab, x, y);
            *out++ = static_cast<uint8_t>((pixel & grab->red_mask) >> __builtin_ctzl(grab->red_mask));
            *out++ = static_cast<uint8_t>((pixel & grab->green_mask) >> __builtin_ctzl(grab->green_mask));
            *out++ = static_cast<uint8_t>((pixel & grab->blue_mask) >> __builtin_ctzl(grab->blue_mask));
        }
    XDestroyImage(grab);
    return image;
}

inline RgbImage grabScreen(Display* display) { return grabWindow(display, DefaultRootWindow(display)); }

struct TopLevel {
    Window window = 0;
    std::string title;
    bool shown = false;  // mapped and viewable
};

// Windows of other programs may go at any moment; asking about one that is
// gone must not end the test (Xlib's default handler exits).
inline int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

// The top-level windows, bottom of the stack first. Without a window
// manager these are the programs' own windows.
inline std::vector<TopLevel> topLevelWindows(Display* display) {
    XSetErrorHandler(ignoreXErrors);
    std::vector<TopLevel> found;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &n);
    for (unsigned int i = 0; i < n; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
        found.push_back({children[i], windowTitle(display, children[i]), attributes.map_state == IsViewable});
    }
    if (children) XFree(children);
    return found;
}

// Whether the pointer shows where it is now: the cursor the window under
// it asks for has a visible pixel (a hidden one is all transparent).
inline bool pointerShown(Display* display) {
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    if (!cursor) return false;
    bool shown = false;
    for (int i = 0; i < cursor->width * cursor->height && !shown; ++i) shown = (cursor->pixels[i] >> 24) != 0;
    XFree(cursor);
    return shown;
}

// WM_CLASS as xprop shows it: "instance", "class"; "" when it is not set.
inline std::string windowClass(Display* display, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return "";
    const std::string both = std::string("\"") + hint.res_name + "\", \"" + hint.res_class + "\"";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return both;
}

// WM_DELETE_WINDOW, as the window manager sends it when the close button
// is pressed.
inline void sendCloseRequest(Display* display, Window target) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}
