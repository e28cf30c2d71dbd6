// An empty data folder played in a window: one message per kind, and the
// play still ends.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

ProcessResult afterglowIn(const fs::path& workingDir, std::vector<std::string> args,
                          std::vector<std::string> env = {}) {
    return afterglow(std::move(args), within(120, workingDir.string(), std::move(env)));
}

TEST(DataFolder, AnEmptyOneGetsOneMessagePerKindAndThePlayStillEnds) {
    TempDir empty, here;
    const ProcessResult r = afterglowIn(here.path(), {"--start", "242600", "--windowed", "--silent"},
                                        {"AFTERGLOW_DATA_DIR=" + empty.path().string()});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const char* kind : {"demo.mp3", "Textures/", "shaders/", "models/"})
        EXPECT_EQ(countOf(r.err, kind), 1u) << kind << " in:\n" << r.err;
    EXPECT_EQ(countOf(r.err, "not found!"), 0u) << "no message for each file of a folder that is missing:\n" << r.err;
    EXPECT_NE(r.err.find("data from " + empty.path().string() + " (AFTERGLOW_DATA_DIR)"), std::string::npos) << r.err;
}

}  // namespace
