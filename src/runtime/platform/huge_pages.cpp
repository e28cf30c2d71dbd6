#include "runtime/platform/huge_pages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "assets/byte_buffer.h"
#include "runtime/environment/environment.h"

// The web build's C library (musl) has no heap padding to ask for: there
// hugePagesAvailable() says no, and mallopt is never called with it.
#ifdef M_TOP_PAD
constexpr bool kHeapPadding = true;
#else
constexpr bool kHeapPadding = false;
#define M_TOP_PAD 0
#endif

namespace {

constexpr uintptr_t kHugePage = kHugePageBytes;
// The advised part of the reserve; empty when there is none.
uintptr_t advisedBegin = 0;
uintptr_t advisedEnd = 0;
constexpr std::string_view kTunable = "glibc.malloc.hugetlb=";
// Start-up's heap use is about 300 MB; what grows past the reserve simply
// comes in ordinary pages.
constexpr size_t kReserve = size_t{512} << 20;
// The driver allocates textures and buffers of several megabytes; above
// this they would each be a mapping of their own, outside the reserve.
constexpr int kMapThreshold = 16 << 20;

// "always [madvise] never": advice is taken unless "never" is the chosen one.
bool hugePagesAvailable() {
    if (!kHeapPadding) return false;
    std::ifstream file("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(file, modes);
    return !modes.empty() && modes.find("[never]") == std::string::npos;
}

}  // namespace

void useHugePages() {
    const char* tunables = environmentValue(EnvVar::GlibcTunables);
    const std::string_view named = tunables ? tunables : "";
    if (const size_t at = named.find(kTunable); at != std::string_view::npos) {
        if (named.substr(at + kTunable.size(), 1) == "0") setBufferHugePages(false);
        return;
    }
    if (!hugePagesAvailable()) return;

    // Freed blocks stay in the heap (no trimming, no per-block mappings),
    // so the advised reserve is what start-up reuses.
    if (mallopt(M_MMAP_THRESHOLD, kMapThreshold) != 1 || mallopt(M_TRIM_THRESHOLD, 1 << 30) != 1) return;
    const uintptr_t before = reinterpret_cast<uintptr_t>(sbrk(0));
    mallopt(M_TOP_PAD, static_cast<int>(kReserve));
    // Larger than what is left at the heap's top, so the heap grows, by the
    // reserve. volatile: an allocation freed unused is optimised away.
    void* volatile grow = std::malloc(4 << 20);
    std::free(grow);
    mallopt(M_TOP_PAD, static_cast<int>(kHugePage));
    const uintptr_t end = reinterpret_cast<uintptr_t>(sbrk(0));
    const uintptr_t begin = (before + kHugePage - 1) & ~(kHugePage - 1);
    // Only advice: where the kernel keeps small pages, nothing changes.
    if (before != uintptr_t(-1) && end > begin && madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE) == 0) {
        advisedBegin = begin;
        advisedEnd = end;
    }
}

void endHugePages() {
    if (advisedEnd <= advisedBegin) return;
    // Huge pages already there stay; only new faults come in small pages.
    madvise(reinterpret_cast<void*>(advisedBegin), advisedEnd - advisedBegin, MADV_NOHUGEPAGE);
    advisedBegin = advisedEnd = 0;
}
