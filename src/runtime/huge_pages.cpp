#include "runtime/huge_pages.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr const char* kTunable = "glibc.malloc.hugetlb";

// "always [madvise] never": the allocator's advice is taken unless "never"
// is the chosen one.
bool hugePagesAvailable() {
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(file, modes);
    return !modes.empty() && modes.find("[never]") == std::string::npos;
}

}  // namespace

void restartWithHugePages(char** argv) {
    const char* current = std::getenv("GLIBC_TUNABLES");
    const std::string tunables = current ? current : "";
    if (tunables.find(kTunable) != std::string::npos || !hugePagesAvailable()) return;
    const std::string wanted = (tunables.empty() ? "" : tunables + ":") + kTunable + "=1";
    if (setenv("GLIBC_TUNABLES", wanted.c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
    // Still here: the program could not be started again. Carry on as we
    // are, and leave nothing behind for the programs we start.
    if (current)
        setenv("GLIBC_TUNABLES", current, 1);
    else
        unsetenv("GLIBC_TUNABLES");
}
