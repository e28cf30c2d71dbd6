// --benchmark in a window: Esc ends the run with the frames so far.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "support/window_keys.h"
#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace {

TEST(Benchmark, EscapeEndsTheRunWithTheFramesSoFar) {
    const ProcessResult r = afterglow({"--windowed", "--benchmark"}, within(120), pressEscapeOnceShown);
    EXPECT_FALSE(r.timedOut) << "Esc did not stop the benchmark";
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("stopped early by Esc"), std::string::npos) << r.out;
}

}  // namespace
