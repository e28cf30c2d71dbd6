// Drawing through EGL with no display: said once, and why; a benchmark
// larger than any screen names the platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "support/png_read.h"
#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace {

ProcessOptions options(std::vector<std::string> env = {}) { return within(120, AFTERGLOW_DATA_DIR, std::move(env)); }

ProcessOptions withoutDisplay() {
    ProcessOptions o = options();
    o.unsetEnv = {"DISPLAY"};
    return o;
}

TEST(Headless, SaysOnceWhatDrawsAndWhyThereIsNoWindow) {
    TempDir dir;
    ProcessResult r = afterglow({"--shot", "1000", (dir / "a.png").string()}, withoutDisplay());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const size_t said = r.err.find("afterglow: no display (DISPLAY is not set): drawing off-screen with llvmpipe ");
    ASSERT_NE(said, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("drawing off-screen", r.err.find('\n', said)), std::string::npos) << "said once:\n" << r.err;
    EXPECT_NE(r.err.find(" through EGL surfaceless\n"), std::string::npos) << r.err;
    EXPECT_EQ(pngImage((dir / "a.png").string()).width, 1024);

    // A display that cannot be opened is no display either, for a shot; to
    // play one is needed, and --headless never plays.
    const ProcessOptions unopenable = options({"DISPLAY=:64999"});
    r = afterglow({"--shot", "1000", (dir / "b.png").string()}, unopenable);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("no display (cannot open display \":64999\"): drawing off-screen"), std::string::npos) << r.err;
    r = afterglow({"--windowed", "--silent"}, unopenable);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no display: cannot open display \":64999\""), std::string::npos) << r.err;
    r = afterglow({"--headless", "--silent"}, withoutDisplay());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--headless"), std::string::npos) << r.err;
}

// Larger than the screen a window would be shown on, each frame drawn at
// its full size, and the report says there is no window.
TEST(Headless, BenchmarkAtALargeSizeNamesThePlatform) {
    TempDir dir;
    const auto json = dir / "bench.json";
    const ProcessResult r = afterglow(
        {"2560", "1600", "--headless", "--benchmark", "--from", "57800", "--to", "58000", "--json", json.string()},
        withoutDisplay());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* line : {"  picture      2560x1600 off-screen, no window\n", "  GL platform  EGL surfaceless\n",
                             "  vsync        none: no window, nothing is swapped\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " is missing from:\n" << r.out;
    const size_t all = r.out.find("\n  all ");
    ASSERT_NE(all, std::string::npos) << r.out;
    double frames = 0, meanFps = 0, lowFps = 0, worstMs = 0, megaFragments = 0;
    std::istringstream(r.out.substr(all + 6)) >> frames >> meanFps >> lowFps >> worstMs >> megaFragments;
    EXPECT_EQ(frames, 2) << r.out;
    EXPECT_GT(megaFragments, 2560 * 1600 / 1e6) << "every frame covers the whole picture at least once";
    const std::string text = fileContents(json);
    EXPECT_NE(text.find("\"width\": 2560, \"height\": 1600, \"windowWidth\": null, \"windowHeight\": null"),
              std::string::npos) << text;
    EXPECT_NE(text.find("\"platform\": \"EGL surfaceless\""), std::string::npos) << text;
}

}  // namespace
