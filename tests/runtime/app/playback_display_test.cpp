// Playback of the real program in a window: it ends by itself, without
// music too, counts frames in the title, loops until Esc.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/window_keys.h"
#include "support/png_read.h"
#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace {

// Once the window is on screen, waits for its title to show a frame count
// (it reads 0 during the first second of music), keeps it in *data, then
// presses Esc.
void readTitleThenPressEscape(int, void* data) {
    auto* title = static_cast<std::string*>(data);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const Window target = waitForWindow(display, deadline);
    ASSERT_NE(target, 0u) << "the window never appeared";
    *title = waitForFrameCount(display, target, deadline);
    pressEscape(display, target);
    XCloseDisplay(display);
}

// Waits until the playback that began 200 ms before the end has passed it,
// notes in *data whether the window is still there, then presses Esc.
void waitPastTheEndThenPressEscape(int, void* data) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window target = waitForWindow(display, std::chrono::steady_clock::now() + std::chrono::seconds(60));
    ASSERT_NE(target, 0u) << "the window never appeared";
    std::this_thread::sleep_for(std::chrono::seconds(3));
    *static_cast<bool*>(data) = waitForWindow(display, std::chrono::steady_clock::now() + std::chrono::seconds(1)) == target;
    pressEscape(display, target);
    XCloseDisplay(display);
}

TEST(Playback, EndsByItselfAfterTheLastFrame) {
    const ProcessResult r = afterglow({"--start=242500", "--windowed"}, within(60));
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("initialize()"), std::string::npos);
}

TEST(Playback, WithoutMusicSaysSoOnceAndStillEnds) {
    TempDir empty;
    ProcessOptions options = within(60, empty.path().string());
    options.setEnv = {"AFTERGLOW_DATA_DIR=" + empty.path().string()};  // not the data beside the program
    const ProcessResult r = afterglow({"--start", "242600", "--windowed"}, options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(r.err, "demo.mp3"), 1u) << r.err;
}

TEST(Playback, TitleCountsFramesAndEscapeEndsWithZero) {
    std::string title;
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--windowed", "--silent"}, within(90),
                                       readTitleThenPressEscape, &title);
    EXPECT_FALSE(r.timedOut) << "Esc did not end the program";
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(title.find_first_not_of("0123456789"), std::string::npos) << title;
    EXPECT_GT(std::atoi(title.c_str()), 0) << title;
}

TEST(Playback, LoopGoesOnPastTheEndUntilEscape) {
    bool stillThere = false;
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--loop", "--windowed", "--silent", "--start", "243000"},
                                       within(90), waitPastTheEndThenPressEscape, &stillThere);
    EXPECT_TRUE(stillThere) << "the program ended at the end of the music";
    EXPECT_FALSE(r.timedOut) << "Esc did not end the program";
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace
