// The program's memory on huge pages unless the user says otherwise.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "support/window_keys.h"
#include "support/fixture_shaders.h"
#include "support/process.h"
#include "support/report_rows.h"
#include "support/temp_dir.h"

namespace {

struct HeapPages {
    bool waitForSmall = false;  // wait for the advice (up to 20 s), or look once
    long hugeKb = -1;        // the program's memory on huge pages
    bool smallLater = false;  // a part of the heap asks for ordinary pages from now on
};

// Whether a part of the heap is advised to stay in ordinary pages ("nh").
bool heapAdvisedSmall(int pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/smaps");
    bool inHeap = false;
    for (std::string line; std::getline(file, line);) {
        if (line.find('-') != std::string::npos && line.find(' ') > line.find('-') && std::isxdigit(line[0]))
            inHeap = line.find("[heap]") != std::string::npos;
        else if (inHeap && line.rfind("VmFlags:", 0) == 0 && line.find(" nh") != std::string::npos)
            return true;
    }
    return false;
}

// Once the window is up, reads how much of the program's memory is on huge
// pages, waits for the first frames (start-up is over then), then presses Esc.
void readHeapPagesThenPressEscape(int pid, void* data) {
    auto* pages = static_cast<HeapPages*>(data);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window target = waitForWindow(display, std::chrono::steady_clock::now() + std::chrono::seconds(60));
    std::ifstream file("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(file, line);)
        if (line.rfind("AnonHugePages:", 0) == 0) pages->hugeKb = std::stol(line.substr(14));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(pages->waitForSmall ? 20 : 0);
    while (!(pages->smallLater = heapAdvisedSmall(pid)) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
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
        HeapPages pages;
        pages.waitForSmall = tunables.find("hugetlb") == std::string::npos;
        const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--windowed", "--silent"}, options,
                                           readHeapPagesThenPressEscape, &pages);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        ASSERT_GE(pages.hugeKb, 0) << "no memory figures for the program";
        if (expectHuge)
            EXPECT_GT(pages.hugeKb, 0) << tunables;
        else
            EXPECT_EQ(pages.hugeKb, 0) << tunables;
        // Once the show runs, what the heap grows by comes in ordinary pages:
        // a huge page faulted in mid-frame stalls it.
        EXPECT_EQ(pages.smallLater, pages.waitForSmall) << tunables;
    }
}

}  // namespace
