// --clock-log from an offline run: the header, a line per frame drawn with
// the fixed clock's times and no device, each frame read before it was
// done; and a log that cannot be written stops the program before it
// starts, naming the file.
#include <gtest/gtest.h>

#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

ProcessResult framesWithLog(const TempDir& dir, const std::string& log) {
    ProcessOptions options;
    options.workingDir = AFTERGLOW_DATA_DIR;
    return runProcess({AFTERGLOW_BINARY, "--frames", (dir / "frames").string(), "--from", "29000", "--to", "29200",
                       "--fps", "20", "--clock-log", log},
                      options);
}

TEST(ClockLog, AnOfflineRunLogsEachFrameOnTheFixedClock) {
    TempDir dir;
    const ProcessResult r = framesWithLog(dir, (dir / "clock.tsv").string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream log(fileContents(dir / "clock.tsv"));
    std::string header;
    std::getline(log, header);
    EXPECT_EQ(header, "read_ns\tmusic_ms\tdelta_ms\taudio_frames\tshown_ns");
    long long readNs = 0, audioFrames = 0, shownNs = 0, lastShownNs = 0;
    double musicMs = 0.0, deltaMs = 0.0;
    std::vector<double> times;
    while (log >> readNs >> musicMs >> deltaMs >> audioFrames >> shownNs) {
        times.push_back(musicMs);
        EXPECT_EQ(deltaMs, 50.0);
        EXPECT_EQ(audioFrames, 0);
        EXPECT_GT(readNs, lastShownNs);
        EXPECT_GE(shownNs, readNs);
        lastShownNs = shownNs;
    }
    EXPECT_EQ(times, (std::vector<double>{29000.0, 29050.0, 29100.0, 29150.0}));
}

TEST(ClockLog, ALogThatCannotBeWrittenIsNamedBeforeAnythingRuns) {
    TempDir dir;
    const std::string log = (dir / "no-such-folder" / "clock.tsv").string();
    const ProcessResult r = framesWithLog(dir, log);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write the clock log \"" + log + "\""), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "frames"));
}

}  // namespace
