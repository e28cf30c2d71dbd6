#include "runtime/frame/window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <string>

#include "gfx/display.h"
#include "gfx/egl_context.h"
#include "gfx/gl_extensions.h"
#include "gfx/message_box.h"
#include "runtime/frame/quit.h"

namespace {

struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

bool inGameMode = false;

// The window manager's close (WM_DELETE_WINDOW): the same end as Esc.
void windowClosed() {
    if (!quitting()) quitProgram(0);
}

// The monitor a full-screen window covers: the primary one, else the first
// that RandR lists, else the whole X screen. On a desktop of several
// monitors the X screen spans them all, and the window manager fits a
// full-screen window to one.
ScreenArea fullScreenArea() {
    ScreenArea area{0, 0, glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT)};
    Display* display = XOpenDisplay(nullptr);
    if (!display) return area;
    int event = 0, error = 0, major = 0, minor = 0;
    if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
        const XRRMonitorInfo* chosen = count > 0 ? &monitors[0] : nullptr;
        for (int i = 0; i < count; ++i)
            if (monitors[i].primary) chosen = &monitors[i];
        if (chosen && chosen->width > 0 && chosen->height > 0)
            area = {chosen->x, chosen->y, chosen->width, chosen->height};
        if (monitors) XRRFreeMonitors(monitors);
    }
    XCloseDisplay(display);
    return area;
}

// The box is a window of its own, mapped on top, but a full-screen window
// may be kept above it by the window manager, and game mode holds the
// keyboard and the mouse. So the window is withdrawn while the box is up.
void stepAsideForBox() {
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || !window) return;
    if (inGameMode) {
        XUngrabKeyboard(display, CurrentTime);
        XUngrabPointer(display, CurrentTime);
        XUnmapWindow(display, window);  // no window manager looks after it
    } else {
        XWithdrawWindow(display, window, DefaultScreen(display));
    }
    XSync(display, False);
}

// Back as it was: a withdrawn window loses its full-screen state with the
// window manager, so it asks for it again before it is mapped; game mode
// takes the keyboard and the mouse again.
void comeBackAfterBox() {
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || !window) return;
    if (!inGameMode) {
        Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&fullScreen), 1);
    }
    XMapRaised(display, window);
    XSync(display, False);
    if (inGameMode) {
        XGrabPointer(display, window, True, ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, window, 0, CurrentTime);
        XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        XSync(display, False);
    }
}

// The name a desktop ties the window to its desktop entry and icon by
// (the entry's StartupWMClass). The toolkit names none, and by the time it
// hands the window over it is already mapped: window managers follow a
// later change of the property.
void nameWindowClass() {
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || !window) return;
    char instance[] = "afterglow";
    char windowClass[] = "Afterglow";
    XClassHint hint{instance, windowClass};
    XSetClassHint(display, window, &hint);
    XFlush(display);
}

std::string gameModeString() {
    char mode[64];
    std::snprintf(mode, sizeof mode, "%dx%d:32@60", windowWidth, windowHeight);
    return mode;
}

bool enterGameMode() {
    glutGameModeString(gameModeString().c_str());
    return glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) && glutEnterGameMode() != 0;
}

// Where the full-screen window stands in for the display mode. The picture
// takes the size that window really gets, so that it fills the screen with
// the bars where they belong.
ScreenArea fullScreenWindowArea() {
    const std::string mode = gameModeString();
    const ScreenArea area = fullScreenArea();
    if (area.width < kMinSize || area.height < kMinSize) {
        std::fprintf(stderr,
                     "afterglow: display mode %s is not available, and the screen's %dx%d is below the %dx%d the "
                     "picture needs; playing %dx%d in a full-screen window\n",
                     mode.c_str(), area.width, area.height, kMinSize, kMinSize, windowWidth, windowHeight);
        return {0, 0, windowWidth, windowHeight};
    }
    std::fprintf(stderr,
                 "afterglow: display mode %s is not available; playing in a full-screen window at the screen's "
                 "%dx%d instead of %dx%d\n",
                 mode.c_str(), area.width, area.height, windowWidth, windowHeight);
    windowWidth = displayWidth = area.width;
    windowHeight = displayHeight = area.height;
    return area;
}

}  // namespace

void openWindow(const Options& options) {
    inGameMode = !options.windowed && enterGameMode();
    if (!inGameMode) {
        // Without a window manager the default position (-1, -1) is taken
        // literally; (0, 0) keeps the whole window on screen.
        const ScreenArea area = options.windowed ? ScreenArea{0, 0, windowWidth, windowHeight} : fullScreenWindowArea();
        glutInitWindowPosition(area.x, area.y);
        glutInitWindowSize(area.width, area.height);
        glutCreateWindow("0");
        // Also for the window manager: no frame, above the panels.
        if (!options.windowed) glutFullScreen();
    }
    nameWindowClass();
    // Nobody points at a show played full screen; in a window, and in dev
    // mode with its keys and the mouse's seeks, the pointer stays.
    if (!options.windowed && !options.dev) glutSetCursor(GLUT_CURSOR_NONE);
    // The close button ends the program through windowClosed(), never
    // through the toolkit's own exit.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutCloseFunc(windowClosed);
    if (!options.windowed) setMessageBoxHooks(stepAsideForBox, comeBackAfterBox);
}

bool openWithoutWindow(const std::string& reason) {
    std::string error;
    if (!createEglContext(error)) {
        std::fprintf(stderr, "afterglow: %s, and %s\n", reason.c_str(), error.c_str());
        return false;
    }
    planOffscreenWindowTarget(displayWidth, displayHeight);
    const GLubyte* renderer = glGetString(GL_RENDERER);
    std::fprintf(stderr, "afterglow: %s: drawing off-screen with %s through %s\n", reason.c_str(),
                 renderer ? reinterpret_cast<const char*>(renderer) : "an unnamed renderer",
                 glPlatformName(currentGlPlatform()));
    return true;
}

bool hasWindow() { return currentGlPlatform() == GlPlatform::GlxWindow; }

bool takeWindowCloseRequest() {
    Display* display = glXGetCurrentDisplay();
    if (!display) return false;
    struct Atoms {
        Atom protocols;
        Atom deleteWindow;
    } atoms{XInternAtom(display, "WM_PROTOCOLS", False), XInternAtom(display, "WM_DELETE_WINDOW", False)};
    const auto isCloseRequest = [](Display*, XEvent* event, XPointer arg) -> int {
        const Atoms& a = *reinterpret_cast<const Atoms*>(arg);
        return event->type == ClientMessage && event->xclient.message_type == a.protocols &&
               static_cast<Atom>(event->xclient.data.l[0]) == a.deleteWindow;
    };
    XEvent event;
    bool taken = false;
    while (XCheckIfEvent(display, &event, isCloseRequest, reinterpret_cast<XPointer>(&atoms))) taken = true;
    return taken;
}
