// Dev mode driven as its user drives it, by keys: a pause holds the picture,
// the seeks and frame steps move the music time by what they say and show
// the same frame again when they come back to a time, R takes an edited
// shader and keeps the last good one when an edit does not compile, H hides
// the line; and without --dev none of these keys does anything.
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include "support/screen_probe.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <regex>
#include <thread>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The picture band of a 512x512 window: bars of 112 rows above and below.
constexpr int kBandTop = 112;
constexpr int kBandBottom = 400;
const std::vector<std::string> kPlayScene1 = {"512", "512", "--windowed", "--silent", "--start", "33000"};

const char* const kGreenShader = "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n";
const char* const kBrokenShader = "void main() { gl_FragColor = vec4(1.0) }\n";

// A data folder whose shaders can be edited: shaders/ copied, the rest linked.
void makeDataFolder(const fs::path& dir) {
    const fs::path data = AFTERGLOW_DATA_DIR;
    for (const char* name : {"demo.mp3", "Textures", "models"}) fs::create_symlink(data / name, dir / name);
    fs::copy(data / "shaders", dir / "shaders");
}

bool sameRows(const RgbImage& a, const RgbImage& b, int y0, int y1) {
    if (a.width != b.width || a.height != b.height) return false;
    return std::equal(a.at(0, y0), a.at(0, y1), b.at(0, y0));
}

bool same(const RgbImage& a, const RgbImage& b) { return sameRows(a, b, 0, a.height); }

// Pixels of the band where green stands well above red and blue.
int greenPixels(const RgbImage& image) {
    int n = 0;
    for (int y = kBandTop; y < kBandBottom; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            if (p[1] > 150 && p[0] < 100 && p[2] < 100) ++n;
        }
    return n;
}

// The running program's window and what it has said so far on stderr.
// Ends the program with Esc when it goes, a failed step included.
struct Session {
    int pid = 0;
    Display* display = nullptr;
    Window window = 0;

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        if (window) pressEscape(display, window);
        if (display) XCloseDisplay(display);
    }

    std::string said() const { return fileContents("/proc/" + std::to_string(pid) + "/fd/2"); }

    // Until stderr holds n lines with text (a key was handled), within 30 s.
    bool heard(const std::string& text, size_t n) const {
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < deadline) {
            if (countOf(said(), text) >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    RgbImage grab() const { return grabWindow(display, window); }

    // The picture once two grabs 400 ms apart agree (a paused frame drawn
    // again), within 30 s.
    RgbImage settled() const {
        RgbImage last = grab();
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            RgbImage next = grab();
            if (same(next, last)) return next;
            last = std::move(next);
        }
        return last;
    }

    // The first settled picture other than before; before itself when none
    // came within 30 s.
    RgbImage changedFrom(const RgbImage& before) const {
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < deadline) {
            if (!same(grab(), before)) return settled();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return before;
    }
};

// Opens the display, waits for the window and for the music to play.
bool startSession(Session& s, int pid) {
    s.pid = pid;
    s.display = XOpenDisplay(nullptr);
    if (!s.display) return false;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    s.window = waitForWindow(s.display, deadline);
    if (!s.window) return false;
    waitForFrameCount(s.display, s.window, deadline);
    return true;
}

const char* const kWhere = " ms, scene ";

struct DevRun {
    fs::path shaderFile;
};

void driveDevMode(int pid, void* data) {
    const DevRun& run = *static_cast<const DevRun*>(data);
    Session s;
    ASSERT_TRUE(startSession(s, pid)) << "the window never appeared";
    ASSERT_TRUE(s.heard(kWhere, 1)) << "the start is not reported";

    press(s.display, s.window, XK_space);
    ASSERT_TRUE(s.heard(kWhere, 2));
    const RgbImage withLine = s.settled();
    press(s.display, s.window, XK_h);
    const RgbImage paused = s.changedFrom(withLine);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(same(s.grab(), paused)) << "the paused picture moved";
    EXPECT_TRUE(sameRows(withLine, paused, 0, kBandBottom)) << "the line is drawn over the picture";
    EXPECT_FALSE(same(withLine, paused)) << "H did not hide the line";

    press(s.display, s.window, XK_Right);
    ASSERT_TRUE(s.heard(kWhere, 3));
    const RgbImage second = s.changedFrom(paused);
    EXPECT_FALSE(same(second, paused)) << "a second later looks the same";
    press(s.display, s.window, XK_period);
    ASSERT_TRUE(s.heard(kWhere, 4));
    const RgbImage nextFrame = s.changedFrom(second);
    EXPECT_FALSE(same(nextFrame, second)) << "one frame on looks the same";
    press(s.display, s.window, XK_comma);
    ASSERT_TRUE(s.heard(kWhere, 5));
    EXPECT_TRUE(same(s.changedFrom(nextFrame), second)) << "one frame back is not the frame before";

    putFile(run.shaderFile, kGreenShader);
    press(s.display, s.window, XK_r);
    ASSERT_TRUE(s.heard("shaders reloaded", 1));
    const RgbImage green = s.changedFrom(second);
    EXPECT_GT(greenPixels(green), greenPixels(second) + 1000) << "the edited shader is not used";
    putFile(run.shaderFile, kBrokenShader);
    press(s.display, s.window, XK_r);
    ASSERT_TRUE(s.heard("kept the previous version", 1));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(same(s.settled(), green)) << "a shader that does not compile replaced the last good one";

    press(s.display, s.window, XK_Right, true);
    press(s.display, s.window, XK_Page_Down);
    press(s.display, s.window, XK_Page_Up);
    press(s.display, s.window, XK_Home);
    ASSERT_TRUE(s.heard(kWhere, 9));
    click(s.display, 1);
    ASSERT_TRUE(s.heard(kWhere, 10));
}

struct Where {
    double ms = 0;
    int scene = 0;
    double sceneMs = 0;
    bool paused = false;
};

std::vector<Where> whereLines(const std::string& err) {
    std::vector<Where> found;
    const std::regex line(R"(afterglow: ([0-9.]+) ms, scene ([0-9]+) at ([0-9.]+) ms, (paused|playing))");
    for (auto it = std::sregex_iterator(err.begin(), err.end(), line); it != std::sregex_iterator(); ++it)
        found.push_back({std::stod((*it)[1]), std::stoi((*it)[2]), std::stod((*it)[3]), (*it)[4] == "paused"});
    return found;
}

TEST(DevMode, KeysPauseSeekStepAndReloadShaders) {
    TempDir dir;
    makeDataFolder(dir.path());
    // The ground of the symbols scene: a large part of every frame.
    DevRun run{dir / "shaders/envmaptex.ps"};
    std::vector<std::string> args = kPlayScene1;
    args.insert(args.begin(), AFTERGLOW_BINARY);
    args.push_back("--dev");
    ProcessOptions options;
    options.timeoutSec = 240;
    options.workingDir = dir.path().string();
    const ProcessResult r = runProcess(args, options, driveDevMode, &run);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("COMPILATION STATUS:"), std::string::npos) << "the broken shader's log is not printed";
    EXPECT_EQ(countOf(r.out, "Compiling shader"), 24u) << "start-up and two reloads of eight programs";

    const std::vector<Where> w = whereLines(r.err);
    ASSERT_EQ(w.size(), 10u) << r.err;
    EXPECT_DOUBLE_EQ(w[0].ms, 33000.0);
    EXPECT_FALSE(w[0].paused);
    EXPECT_TRUE(w[1].paused) << "Space";
    EXPECT_NEAR(w[2].ms - w[1].ms, 1000.0, 0.1) << "Right";
    EXPECT_NEAR(w[3].ms - w[2].ms, 1000.0 / 60, 0.1) << ".";
    EXPECT_NEAR(w[4].ms, w[2].ms, 0.1) << ",";
    EXPECT_NEAR(w[5].ms - w[4].ms, 10000.0, 0.1) << "Shift+Right";
    EXPECT_EQ(w[6].scene, w[5].scene + 1) << "Page Down";
    EXPECT_DOUBLE_EQ(w[6].sceneMs, 1.0);
    EXPECT_EQ(w[7].scene, w[5].scene) << "Page Up from a scene's start goes to the one before";
    EXPECT_DOUBLE_EQ(w[7].sceneMs, 1.0);
    EXPECT_DOUBLE_EQ(w[8].ms, 0.0) << "Home";
    EXPECT_DOUBLE_EQ(w[9].ms, 1000.0) << "left mouse button";
    for (const Where& each : w) EXPECT_EQ(each.paused, &each != &w[0]) << each.ms;
}

// Space does not hold the picture, then every dev key is pressed.
void pressDevKeys(int pid, void*) {
    Session s;
    ASSERT_TRUE(startSession(s, pid)) << "the window never appeared";
    press(s.display, s.window, XK_space);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const RgbImage before = s.grab();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_FALSE(same(s.grab(), before)) << "Space paused without --dev";
    for (const KeySym key : {XK_r, XK_t, XK_h, XK_period, XK_comma, XK_Right, XK_Left, XK_Page_Down, XK_Page_Up, XK_Home})
        press(s.display, s.window, key);
    press(s.display, s.window, XK_Right, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

TEST(DevMode, WithoutDevTheKeysDoNothing) {
    std::vector<std::string> args = kPlayScene1;
    args.insert(args.begin(), AFTERGLOW_BINARY);
    ProcessOptions options;
    options.timeoutSec = 120;
    options.workingDir = AFTERGLOW_DATA_DIR;
    const ProcessResult r = runProcess(args, options, pressDevKeys);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(r.out, "Compiling shader"), 8u) << "R reloaded the shaders";
    EXPECT_EQ(r.err.find(kWhere), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("reloaded"), std::string::npos) << r.err;
}

}  // namespace
