// The standard streams as launchers, daemons and pipelines leave them:
// closed, on a full device, or a pipe whose reader has gone.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace {

// Closed ones are as good as /dev/null: the X connection, the sound and
// the files the program opens never take their numbers (with all three
// closed, the loading lines went into the X connection, and the program
// waited for the X server for ever).
TEST(StandardStreams, ClosedOnesDoNotHinderTheShow) {
    for (const std::vector<int>& closed : {std::vector<int>{1, 2}, std::vector<int>{0, 1, 2}}) {
        ProcessOptions options = within(60);
        options.closedFds = closed;
        const ProcessResult r = afterglow({"--windowed", "--start", "242000"}, options);
        EXPECT_FALSE(r.timedOut) << closed.size() << " closed";
        EXPECT_EQ(r.exitCode, 0) << closed.size() << " closed";
    }
}

// Output that is the point of the command ends it with 1 when it cannot be
// written, saying so; other output that cannot be written stops nothing.
TEST(StandardStreams, OutputThatCannotBeWrittenFailsOnlyWhatItIsFor) {
    ProcessOptions full = within(30);
    full.stdoutTo = "/dev/full";
    for (const char* asked : {"--help", "--version"}) {
        const ProcessResult r = afterglow({asked}, full);
        EXPECT_EQ(r.exitCode, 1) << asked;
        EXPECT_EQ(r.err, "afterglow: cannot write to standard output: No space left on device\n") << asked;
    }

    TempDir dir;
    ProcessOptions readerGone = within(120);
    readerGone.stdoutTo = kReaderGone;
    const ProcessResult show = afterglow({"--windowed", "--start", "242500", "--startup-report"}, readerGone);
    EXPECT_EQ(show.signal, 0);
    EXPECT_EQ(show.exitCode, 0) << show.err;
    const std::string json = (dir / "bench.json").string();
    const ProcessResult bench =
        afterglow({"--windowed", "--benchmark", "--from", "1000", "--to", "1300", "--json", json}, readerGone);
    EXPECT_EQ(bench.signal, 0);
    EXPECT_EQ(bench.exitCode, 1) << bench.err;
    EXPECT_EQ(countOf(bench.err, "afterglow: cannot write to standard output: Broken pipe\n"), 1u) << bench.err;
    EXPECT_TRUE(std::filesystem::exists(json)) << "the JSON is written all the same";
}

}  // namespace
