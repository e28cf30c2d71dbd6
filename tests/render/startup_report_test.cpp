// Start-up of the real program as its user sees it: the start-up report
// after the usual console output, the music decode's failures said once, a
// clean exit while the music still decodes, and memory on huge pages.
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include "render/window_keys.h"

#include <fstream>
#include <iterator>
#include <regex>

#include "support/fixture_shaders.h"
#include "support/process.h"
#include "support/report_rows.h"
#include "support/temp_dir.h"

namespace {

ProcessResult afterglow(std::vector<std::string> args, const std::string& workingDir = AFTERGLOW_DATA_DIR,
                        std::vector<std::string> setEnv = {}) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    ProcessOptions options;
    options.timeoutSec = 90;
    options.workingDir = workingDir;
    options.setEnv = std::move(setEnv);
    return runProcess(args, options);
}

TEST(StartupReportRun, PlaybackPrintsEveryStepOnceAfterTheUsualConsoleOutput) {
    const ProcessResult r = afterglow({"--windowed", "--silent", "--start", "243000", "--startup-report"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string& out = r.out;
    EXPECT_EQ(out.find("Compiling shader shaders\\phong.ps shaders\\phong.vs\n"), 0u) << out;
    const size_t initialized = out.find("\ninitialize()\n");
    const size_t report = out.find("\nstart-up, milliseconds ");
    ASSERT_NE(report, std::string::npos) << out;
    EXPECT_LT(initialized, report) << "the report comes after start-up's own lines";
    EXPECT_EQ(countOf(out, "start-up, milliseconds"), 1u) << "only the first frame reports";

    const std::string table = out.substr(report);
    double parts = 0.0;
    for (const char* name : {"program load", "GL context and driver", "first swap", "GL checks", "shaders", "textures",
                             "render target, passes", "models", "loading bar", "music start", "first frame"}) {
        const double ms = reportNumber(table, name);
        EXPECT_GE(ms, 0.0) << name << " is missing from:\n" << table;
        parts += ms;
    }
    for (int k = 0; k < 11; ++k)
        EXPECT_GE(reportNumber(table, "  scene " + std::to_string(k)), 0.0) << "scene " << k << ":\n" << table;
    EXPECT_NE(table.find("14 images"), std::string::npos) << table;
    // Rounded rows: the total is their sum within a millisecond each.
    const double total = reportNumber(table, "total");
    EXPECT_NEAR(total, parts, 10.0) << table;
    EXPECT_NEAR(reportNumber(table, "ours"), total - reportNumber(table, "GL context and driver"), 1.0) << table;
    // One thread cannot spend more processor time than time passes (the
    // start time is known to a clock tick).
    const double cpu = reportNumber(table, "total", 1);
    EXPECT_GT(cpu, 0.0) << table;
    EXPECT_LE(cpu, total + 10.0) << table;
    // The worker decoded the build's music while the rest loaded.
    EXPECT_GT(reportNumber(table, "music decode"), 0.0) << table;
    std::smatch hidden;
    ASSERT_TRUE(std::regex_search(table, hidden, std::regex("([0-9]+) of it hidden"))) << table;
    EXPECT_LE(std::stod(hidden[1].str()), reportNumber(table, "music decode") + 1.0) << table;
}

TEST(StartupMusic, AnUndecodableFileIsSaidOnceAndPlaybackAndShotsGoOn) {
    TempDir dir;
    writeFixtureShaders(dir.path());
    std::ofstream(dir / "demo.mp3", std::ios::binary) << std::string(50000, 'x');

    const ProcessResult playback = afterglow({"--windowed", "--start", "242600"}, dir.path().string());
    EXPECT_FALSE(playback.timedOut);
    EXPECT_EQ(playback.exitCode, 0) << playback.err;
    EXPECT_EQ(countOf(playback.err, "demo.mp3"), 1u) << playback.err;
    EXPECT_NE(playback.err.find("runs silently"), std::string::npos) << playback.err;

    const ProcessResult shot = afterglow({"--shot", "1000", (dir / "shot.png").string()}, dir.path().string());
    EXPECT_EQ(shot.exitCode, 0) << shot.err;
    EXPECT_EQ(countOf(shot.err, "demo.mp3"), 1u) << shot.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "shot.png"));
}

TEST(StartupMusic, LeavingBeforeTheMusicStartsEndsCleanlyWhileItDecodes) {
    // Beside the build's music, which takes a while to decode: the exits
    // come long before it is done, and the worker must not bring them down.
    ProcessOptions noDisplay;
    noDisplay.workingDir = AFTERGLOW_DATA_DIR;
    noDisplay.unsetEnv = {"DISPLAY"};
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--windowed"}, noDisplay);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;

    const ProcessResult noFramebuffers = afterglow({"--shot", "1000", "/dev/null"}, AFTERGLOW_DATA_DIR,
                                                   {"AFTERGLOW_HIDE_GL_EXTENSIONS=EXT_framebuffer_object"});
    EXPECT_EQ(noFramebuffers.exitCode, 255) << noFramebuffers.err;
    EXPECT_EQ(noFramebuffers.err.find("terminate"), std::string::npos) << noFramebuffers.err;
}

// Once the window is up, reads how much
// of the program's memory is on huge pages, then presses Esc.
void readHugePagesThenPressEscape(int pid, void* data) {
    auto* hugeKb = static_cast<long*>(data);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window target = waitForWindow(display, std::chrono::steady_clock::now() + std::chrono::seconds(60));
    std::ifstream file("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(file, line);)
        if (line.rfind("AnonHugePages:", 0) == 0) *hugeKb = std::stol(line.substr(14));
    if (target) pressEscape(display, target);
    XCloseDisplay(display);
}

// The system's choice of transparent huge pages: "always", "madvise" or "never".
std::string hugePageMode() {
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(file, modes);
    const size_t open = modes.find('['), close = modes.find(']');
    return open == std::string::npos || close == std::string::npos ? "never" : modes.substr(open + 1, close - open - 1);
}

TEST(StartupHugePages, MemoryIsOnHugePagesUnlessTheUserSaysOtherwise) {
    const std::string mode = hugePageMode();
    if (mode == "never") GTEST_SKIP() << "transparent huge pages are off on this system";
    // Another tunable of the user's changes nothing; an explicit hugetlb=0
    // is the user's word, for the program's own buffers too. (With "always" everything is on huge
    // pages whatever the program asks.)
    for (const auto& [tunables, expectHuge] : std::vector<std::pair<std::string, bool>>{
             {"glibc.malloc.perturb=0", true}, {"glibc.malloc.hugetlb=0", mode == "always"}}) {
        ProcessOptions options;
        options.workingDir = AFTERGLOW_DATA_DIR;
        options.setEnv = {"GLIBC_TUNABLES=" + tunables};
        long hugeKb = -1;
        const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--windowed", "--silent"}, options,
                                           readHugePagesThenPressEscape, &hugeKb);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        ASSERT_GE(hugeKb, 0) << "no memory figures for the program";
        if (expectHuge)
            EXPECT_GT(hugeKb, 0) << tunables;
        else
            EXPECT_EQ(hugeKb, 0) << tunables;
    }
}

}  // namespace
