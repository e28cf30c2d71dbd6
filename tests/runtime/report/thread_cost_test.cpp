// The benchmark's allocation count: every form of new counts once on the
// thread that asked, nothing while it is off, nothing from other threads;
// and the processor time of this thread, not of the process.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "runtime/report/thread_cost.h"

namespace {

struct alignas(64) Wide {
    char bytes[64];
};

TEST(ThreadCost, CountsThisThreadsAllocationsWhileAsked) {
    if (!heapAllocationsCounted()) GTEST_SKIP() << "the sanitizers' allocator";
    countHeapAllocations(true);
    const long long before = heapAllocations();
    auto single = std::make_unique<int>(1);
    std::vector<int> array(100);
    int* noThrow = new (std::nothrow) int[4];
    auto aligned = std::make_unique<Wide>();
    std::string text(200, 'x');
    EXPECT_EQ(heapAllocations() - before, 5);
    delete[] noThrow;

    countHeapAllocations(false);
    std::vector<int> uncounted(100);
    EXPECT_EQ(heapAllocations() - before, 5);

    long long otherCount = -1;
    bool otherCountingAtStart = true;
    std::thread other([&] {
        const long long start = heapAllocations();
        std::vector<int> notAsked(10);
        otherCountingAtStart = heapAllocations() != start;
        countHeapAllocations(true);
        std::vector<int> elsewhere(1000);
        otherCount = heapAllocations() - start;
    });
    other.join();
    EXPECT_FALSE(otherCountingAtStart) << "a new thread counts before it asks";
    EXPECT_EQ(otherCount, 1);
    EXPECT_EQ(heapAllocations() - before, 5) << "another thread's allocations counted here";
}

TEST(ThreadCost, ProcessorTimeIsThisThreadsOwn) {
    const double start = threadCpuMs();
    std::thread busy([] {
        const double begin = threadCpuMs();
        volatile double x = 0;
        while (threadCpuMs() - begin < 50.0) x = x + 1;
    });
    busy.join();
    EXPECT_LT(threadCpuMs() - start, 25.0) << "the other thread's 50 ms charged to this one";
    volatile double y = 0;
    const double own = threadCpuMs();
    while (threadCpuMs() - own < 5.0) y = y + 1;
    EXPECT_GE(threadCpuMs() - start, 5.0);
}

}  // namespace
