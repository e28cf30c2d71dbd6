// The real program under the virtual display that ./test provides: shots,
// endings, keys and the command line.
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include "render/window_keys.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

ProcessOptions within(double seconds, const std::string& workingDir = AFTERGLOW_DATA_DIR) {
    ProcessOptions options;
    options.timeoutSec = seconds;
    options.workingDir = workingDir;
    return options;
}

ProcessResult afterglow(std::vector<std::string> args, ProcessOptions options = within(120)) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    return runProcess(args, options);
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

RgbImage shot(int ms, const std::filesystem::path& file, std::vector<std::string> size = {}) {
    size.insert(size.end(), {"--shot", std::to_string(ms), file.string()});
    const ProcessResult r = afterglow(size);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    RgbImage image;
    std::string error;
    EXPECT_TRUE(readPngRgb(file.string(), image, error)) << error;
    return image;
}

TEST(Shot, FrameHasTheLetterboxAndIsTheSameOnEveryRun) {
    TempDir dir;
    const RgbImage a = shot(1000, dir / "a.png");
    ASSERT_EQ(a.width, 1024);
    ASSERT_EQ(a.height, 768);
    EXPECT_EQ(a.maxInRows(0, 96), 0) << "upper bar";
    EXPECT_EQ(a.maxInRows(672, 768), 0) << "lower bar";
    EXPECT_GT(a.maxInRows(96, 672), 0) << "the picture between the bars";

    shot(1000, dir / "b.png");
    EXPECT_EQ(fileBytes(dir / "a.png"), fileBytes(dir / "b.png"));
}

TEST(Shot, BarsFollowTheRequestedSize) {
    TempDir dir;
    const RgbImage image = shot(40000, dir / "s.png", {"800", "600"});
    ASSERT_EQ(image.width, 800);
    ASSERT_EQ(image.height, 600);
    EXPECT_EQ(image.maxInRows(0, 75), 0);
    EXPECT_EQ(image.maxInRows(525, 600), 0);
    EXPECT_GT(image.maxInRows(75, 525), 0);
}

TEST(Shot, LateInALongSceneAndAtTheVeryEnd) {
    TempDir dir;
    EXPECT_EQ(shot(236000, dir / "late.png").width, 1024);  // 28.5 s into its scene
    EXPECT_EQ(shot(243200, dir / "end.png").width, 1024);   // the last frame shown
}

TEST(Shot, UnwritableFileIsReportedByName) {
    const ProcessResult r = afterglow({"--shot", "1000", "/nonexistent-dir/x.png"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("/nonexistent-dir/x.png"), std::string::npos) << r.err;
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

TEST(Playback, LoopGoesOnPastTheEndUntilEscape) {
    bool stillThere = false;
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--loop", "--windowed", "--silent", "--start", "243000"},
                                       within(90), waitPastTheEndThenPressEscape, &stillThere);
    EXPECT_TRUE(stillThere) << "the program ended at the end of the music";
    EXPECT_FALSE(r.timedOut) << "Esc did not end the program";
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(CommandLine, NoDisplayIsExplained) {
    ProcessOptions noDisplay = within(30);
    noDisplay.unsetEnv = {"DISPLAY"};
    const ProcessResult r = afterglow({"--windowed"}, noDisplay);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("DISPLAY"), std::string::npos) << r.err;
}

TEST(CommandLine, BadArgumentsAreNamedWithExitCodeTwo) {
    for (const auto& [args, named] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"wide", "768"}, "wide"}, {{"400", "300"}, "400x300"}, {{"--fullscreen"}, "--fullscreen"},
             {{"-5", "-5"}, "-5x-5"}, {{"--shot", "1000", ""}, "--shot"}, {{"--start=soon"}, "'soon'"},
             {{"--fr", "1"}, "--frames or --from"}}) {
        const ProcessResult r = afterglow(args, within(30));
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    const ProcessResult help = afterglow({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--shot MS FILE"), std::string::npos);
    EXPECT_EQ(afterglow({"-h"}).out, help.out);
    const ProcessResult version = afterglow({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("afterglow ", 0), 0u);
    EXPECT_EQ(afterglow({"-V"}).out, version.out);
}

}  // namespace
