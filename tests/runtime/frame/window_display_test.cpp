// The program started as a user starts it, without --windowed or --shot,
// on X screens of their own whose sizes offer no display mode (Xvfb never
// does): the grabbed screen shows the whole picture, letterboxed for that
// screen. Also a window resized away from its picture, and a message box
// raised while full screen.
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include "support/screen_probe.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/x_server.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDark = 32;  // above this a probe counts as picture content

ProcessOptions on(const OwnXServer& server, const std::string& workingDir = AFTERGLOW_DATA_DIR) {
    ProcessOptions options;
    options.timeoutSec = 120;
    options.workingDir = workingDir;
    options.setEnv = {server.displayVariable()};
    return options;
}

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};

// What is wrong with the picture expected in area, its bars barRows high
// ("" when nothing): the bars black across the whole width, content in the
// left, middle and right thirds of the band and out to both of its side
// edges, and black around the area up to the edges of within (the rest of
// the window). Scaled pictures blend their bars' edges: margin rows there
// are not looked at.
std::string pictureProblem(const RgbImage& screen, Area area, int barRows, Area within, int margin = 0) {
    const int x1 = area.x + area.width;
    const int y1 = area.y + area.height;
    if (screen.maxIn(area.x, area.y, x1, area.y + barRows - margin) != 0) return "upper bar not black";
    if (screen.maxIn(area.x, y1 - barRows + margin, x1, y1) != 0) return "lower bar not black";
    const int top = area.y + barRows + margin;
    const int bottom = y1 - barRows - margin;
    const int third = area.width / 3;
    const char* thirds[] = {"left third", "middle third", "right third"};
    for (int i = 0; i < 3; ++i)
        if (screen.maxIn(area.x + i * third, top, area.x + (i + 1) * third, bottom) <= kDark)
            return std::string("no picture in the band's ") + thirds[i];
    const int strip = 32;
    if (screen.maxIn(area.x, top, area.x + strip, bottom) <= kDark) return "picture does not reach the left edge";
    if (screen.maxIn(x1 - strip, top, x1, bottom) <= kDark) return "picture does not reach the right edge";
    if (screen.maxIn(within.x, within.y, area.x - margin, within.y + within.height) != 0 ||
        screen.maxIn(x1 + margin, within.y, within.x + within.width, within.y + within.height) != 0)
        return "not black beside the picture";
    return "";
}

// What a test watching the program expects to see, and what it saw.
struct Watch {
    Watch(const OwnXServer& server, Area pictureArea, int bars)
        : display(server.name()), area(pictureArea), barRows(bars), within(pictureArea) {}
    std::string display;
    Area area;
    int barRows = 0;
    Area within;
    int margin = 0;
    // When set: once the picture is whole, the window is resized to this
    // and the picture is watched again as expected in fitted.
    int resizeWidth = 0, resizeHeight = 0;
    Area fitted;
    int fittedBarRows = 0;
    std::string problem = "the window never appeared";
    RgbImage screen;
    // Once the picture was whole: the pointer over it, and the window's
    // class and title.
    bool pointerShown = false;
    std::string windowClass, title;
};

// Grabs the screen until the picture is as watch expects (a scene may pass
// through black or white), for up to a minute; keeps the last problem.
void grabUntilPictureIsWhole(Display* display, Watch& watch) {
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
        watch.screen = grabScreen(display);
        watch.problem = pictureProblem(watch.screen, watch.area, watch.barRows, watch.within, watch.margin);
        if (watch.problem.empty()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

void watchPictureThenPressEscape(int, void* data) {
    Watch& watch = *static_cast<Watch*>(data);
    Display* display = XOpenDisplay(watch.display.c_str());
    if (!display) return;
    const Window target = waitForWindow(display, Clock::now() + std::chrono::seconds(60));
    if (target) {
        grabUntilPictureIsWhole(display, watch);
        watch.pointerShown = pointerShown(display);  // Xvfb's pointer starts in the middle of the screen
        watch.windowClass = windowClass(display, target);
        watch.title = windowTitle(display, target);
        if (watch.problem.empty() && watch.resizeWidth) {
            XResizeWindow(display, target, watch.resizeWidth, watch.resizeHeight);
            XSync(display, False);
            watch.within = {0, 0, watch.resizeWidth, watch.resizeHeight};
            watch.area = watch.fitted;
            watch.barRows = watch.fittedBarRows;
            watch.margin = 2;  // the scaled bars' edges blend
            grabUntilPictureIsWhole(display, watch);
            if (!watch.problem.empty()) watch.problem = "resized: " + watch.problem;
        }
        pressEscape(display, target);
    }
    XCloseDisplay(display);
}

bool isFrameCount(const std::string& title) {
    return !title.empty() && title.find_first_not_of("0123456789") == std::string::npos;
}

// Also what a desktop sees of the window: the class its desktop entry
// names (StartupWMClass), the frame count as its title, and no pointer over
// the picture, but in dev mode, where the mouse seeks.
TEST(FullScreen, ScreensWithoutTheModeGetTheWholePictureLetterboxedForThem) {
    struct Screen {
        int width, height, barRows;  // 1280x720 between 152-row bars; 16:9 fills the screen
        bool dev;
    };
    for (const Screen s : {Screen{1280, 1024, 152, false}, Screen{1920, 1080, 0, true}}) {
        const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
        SCOPED_TRACE(size);
        OwnXServer server(s.width, s.height);
        ASSERT_TRUE(server.ok()) << "Xvfb did not start";
        const Area whole{0, 0, s.width, s.height};
        Watch watch(server, whole, s.barRows);
        std::vector<std::string> args = {AFTERGLOW_BINARY, "--silent", "--start", "100000"};
        if (s.dev) args.push_back("--dev");
        const ProcessResult r = runProcess(args, on(server), watchPictureThenPressEscape, &watch);
        EXPECT_EQ(watch.problem, "");
        EXPECT_EQ(watch.pointerShown, s.dev);
        EXPECT_EQ(watch.windowClass, "\"afterglow\", \"Afterglow\"");
        EXPECT_TRUE(isFrameCount(watch.title)) << watch.title;
        if (s.barRows == 0) {
            EXPECT_GT(watch.screen.maxInRows(0, 16), kDark) << "the picture reaches the top";
            EXPECT_GT(watch.screen.maxInRows(s.height - 16, s.height), kDark) << "and the bottom";
        }
        EXPECT_FALSE(r.timedOut) << "Esc did not end the program";
        EXPECT_EQ(r.exitCode, 0) << r.err;
        // Said once, with both sizes.
        const size_t said = r.err.find("is not available");
        ASSERT_NE(said, std::string::npos) << r.err;
        const std::string line = r.err.substr(said, r.err.find('\n', said) - said);
        EXPECT_NE(line.find(size), std::string::npos) << line;
        EXPECT_NE(line.find("1024x768"), std::string::npos) << line;
        EXPECT_EQ(r.err.find("is not available", said + 1), std::string::npos) << r.err;
    }
}

TEST(Windowed, KeepsItsSizeAndAResizedWindowShowsTheWholePicture) {
    OwnXServer server(1280, 1024);
    ASSERT_TRUE(server.ok()) << "Xvfb did not start";
    const Area window{0, 0, 800, 600};
    Watch watch(server, window, 75);
    // Then resized as a user would: 800x600 fitted into 1000x500 is 666x500
    // from x = 167, its bars scaled from 75 rows to 62.5.
    watch.resizeWidth = 1000;
    watch.resizeHeight = 500;
    watch.fitted = {167, 0, 666, 500};
    watch.fittedBarRows = 62;
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "800", "600", "--windowed", "--silent", "--start", "100000"},
                                       on(server), watchPictureThenPressEscape, &watch);
    EXPECT_EQ(watch.problem, "");
    EXPECT_TRUE(watch.pointerShown) << "a window keeps the pointer";
    EXPECT_FALSE(r.timedOut) << "Esc did not end the program";
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("is not available"), std::string::npos) << "no display mode is asked for: " << r.err;
}

// Every message box that comes up, answered with Esc; whether the program's
// window was out of sight each time, and whether it came back and played.
struct Boxes {
    std::string display;
    int seen = 0;
    bool windowHiddenEachTime = true;
    bool playedAfterwards = false;
};

bool isProgramWindow(const TopLevel& w) { return isFrameCount(w.title); }

bool isShown(Display* display, Window window) {
    for (const TopLevel& w : topLevelWindows(display))
        if (w.window == window) return w.shown;
    return false;
}

void answerBoxesThenPressEscape(int pid, void* data) {
    Boxes& boxes = *static_cast<Boxes*>(data);
    Display* display = XOpenDisplay(boxes.display.c_str());
    if (!display) return;
    const auto deadline = Clock::now() + std::chrono::seconds(90);
    while (Clock::now() < deadline) {
        const std::vector<TopLevel> windows = topLevelWindows(display);
        Window box = 0, program = 0;
        bool programShown = false, playing = false;
        for (const TopLevel& w : windows) {
            if (isProgramWindow(w)) {
                program = w.window;
                programShown = w.shown;
                playing = w.shown && w.title != "0";
            } else if (w.shown && !w.title.empty()) {
                box = w.window;
            }
        }
        if (box) {
            ++boxes.seen;
            if (programShown) boxes.windowHiddenEachTime = false;
            pressEscape(display, box);
            while (Clock::now() < deadline && isShown(display, box))
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else if (playing) {
            boxes.playedAfterwards = true;
            pressEscape(display, program);
            break;
        } else if (childHasEnded(pid)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
}

ProcessOptions withBoxes(const OwnXServer& server, const std::string& workingDir = AFTERGLOW_DATA_DIR) {
    ProcessOptions options = on(server, workingDir);
    options.unsetEnv = {"AFTERGLOW_NO_MESSAGE_BOX"};
    return options;
}

TEST(FullScreen, MessageBoxesAreShownWithTheWindowOutOfTheWay) {
    OwnXServer server(1280, 1024);
    ASSERT_TRUE(server.ok()) << "Xvfb did not start";

    // A missing image: the box, then the show goes on full screen.
    TempDir data;
    const std::filesystem::path build = AFTERGLOW_DATA_DIR;
    for (const char* name : {"demo.mp3", "shaders", "models"})
        std::filesystem::create_directory_symlink(build / name, data / name);
    std::filesystem::create_directory(data / "Textures");
    for (const auto& image : std::filesystem::directory_iterator(build / "Textures"))
        if (image.path().filename() != "ground.jpg")
            std::filesystem::create_symlink(image.path(), data / "Textures" / image.path().filename());
    Boxes missing{server.name()};
    ProcessOptions lacking = withBoxes(server, data.path().string());
    lacking.setEnv.push_back("AFTERGLOW_DATA_DIR=" + data.path().string());  // not the whole copy beside the program
    ProcessResult r = runProcess({AFTERGLOW_BINARY, "--silent"}, lacking, answerBoxesThenPressEscape, &missing);
    EXPECT_EQ(missing.seen, 1);
    EXPECT_TRUE(missing.windowHiddenEachTime) << "the box came up with the full-screen window over it";
    EXPECT_TRUE(missing.playedAfterwards) << "the window did not come back";
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Error: File Textures/ground.jpg not found!"), std::string::npos) << r.err;

    // A missing capability: the box, then the end with its code.
    Boxes fatal{server.name()};
    ProcessOptions noFramebuffers = withBoxes(server);
    noFramebuffers.setEnv.push_back("AFTERGLOW_HIDE_GL_EXTENSIONS=EXT_framebuffer_object");
    r = runProcess({AFTERGLOW_BINARY, "--silent"}, noFramebuffers, answerBoxesThenPressEscape, &fatal);
    EXPECT_EQ(fatal.seen, 1);
    EXPECT_TRUE(fatal.windowHiddenEachTime) << "the box came up with the full-screen window over it";
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 255) << r.err;
}

}  // namespace
