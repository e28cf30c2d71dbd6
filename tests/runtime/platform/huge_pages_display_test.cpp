// The program's memory on huge pages unless the user says otherwise.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "support/window_keys.h"
#include "support/fixture_shaders.h"
#include "support/process.h"
#include "support/report_rows.h"
#include "support/temp_dir.h"

namespace {

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
