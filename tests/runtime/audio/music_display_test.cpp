// An undecodable demo.mp3: said once, and playback and shots go on.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "support/window_keys.h"
#include "support/fixture_shaders.h"
#include "support/process.h"
#include "support/program.h"
#include "support/report_rows.h"
#include "support/temp_dir.h"

namespace {

TEST(StartupMusic, AnUndecodableFileIsSaidOnceAndPlaybackAndShotsGoOn) {
    TempDir dir;
    writeFixtureShaders(dir.path());
    std::ofstream(dir / "demo.mp3", std::ios::binary) << std::string(50000, 'x');

    // Named outright: a folder with no images or models is passed over for
    // the whole copy beside the program.
    const std::vector<std::string> here = {"AFTERGLOW_DATA_DIR=" + dir.path().string()};
    const ProcessResult playback = afterglow({"--windowed", "--start", "242600"}, within(90, dir.path().string(), here));
    EXPECT_FALSE(playback.timedOut);
    EXPECT_EQ(playback.exitCode, 0) << playback.err;
    EXPECT_EQ(countOf(playback.err, "demo.mp3"), 1u) << playback.err;
    EXPECT_NE(playback.err.find("runs silently"), std::string::npos) << playback.err;

    const ProcessResult shot = afterglow({"--shot", "1000", (dir / "shot.png").string()}, within(90, dir.path().string(), here));
    EXPECT_EQ(shot.exitCode, 0) << shot.err;
    EXPECT_EQ(countOf(shot.err, "demo.mp3"), 1u) << shot.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "shot.png"));
}

}  // namespace
