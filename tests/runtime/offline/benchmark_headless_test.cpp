// --benchmark through the real program without a display: every field of
// the report, an unwritable JSON file.
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

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The table row of a scene ("all" for the whole run): its numbers.
std::vector<double> row(const std::string& table, const std::string& name) {
    std::smatch match;
    const std::regex pattern("\\n *" + name + " +([0-9. ]+)\\n");
    if (!std::regex_search(table, match, pattern)) return {};
    std::vector<double> numbers;
    std::istringstream cells(match[1].str());
    for (double n; cells >> n;) numbers.push_back(n);
    return numbers;
}

TEST(Benchmark, ShortSpanAcrossASceneChangeReportsEveryField) {
    TempDir dir;
    const auto json = dir / "bench.json";
    // Half a second either side of the change from scene 2 to 3 at 58300;
    // quiet, so stdout holds the report alone.
    const ProcessResult r = afterglow({"800", "600", "--windowed", "--benchmark", "--from", "57800", "--to", "58800",
                                       "--json", json.string(), "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string& out = r.out;
    EXPECT_EQ(out.rfind("\nafterglow benchmark\n", 0), 0u) << out;
    for (const char* field : {"start-up", "start-up, milliseconds", "music decode", "GL renderer  llvmpipe", "vsync",
                              "fill rate", "Mfragments/s", "scene  frames  mean fps  1% low fps  worst ms  cpu ms  cpu worst  allocs  Mfrag/frame  floor ms  frame/floor"})
        EXPECT_NE(out.find(field), std::string::npos) << field << " is missing from:\n" << out;
    EXPECT_NE(r.err.find("frame 10/10"), std::string::npos) << "the progress line";

    // frames, mean fps, 1% low, worst ms, cpu ms, cpu worst, allocs,
    // Mfrag/frame, floor ms, frame/floor
    const std::vector<double> before = row(out, "2"), after = row(out, "3"), all = row(out, "all");
    ASSERT_EQ(before.size(), 10u) << out;
    ASSERT_EQ(after.size(), 10u) << out;
    ASSERT_EQ(all.size(), 10u) << out;
    EXPECT_EQ(before[0], 6);  // 57800 ... 58300: a scene begins only after its start time
    EXPECT_EQ(after[0], 4);
    EXPECT_EQ(all[0], 10);
    for (const auto& numbers : {before, after, all}) {
        EXPECT_GT(numbers[1], 0.0);
        EXPECT_LE(numbers[2], numbers[1]) << "the slowest frames are not faster than the mean";
        EXPECT_GE(numbers[3], 1000.0 / numbers[1] - 0.1) << "the worst frame is not shorter than the mean";
        EXPECT_GT(numbers[4], 0.0) << "a frame costs the main thread something";
        EXPECT_GE(numbers[5], numbers[4] - 0.01) << "the worst processor time is below the mean";
        EXPECT_GE(numbers[6], 0.0);
        EXPECT_GT(numbers[7], 0.48) << "every frame at least covers the 800x600 window once";
        EXPECT_GT(numbers[8], 0.0);
        // The frame cannot take less time than its fragments alone; allow
        // for the calibration's noise on a loaded machine.
        EXPECT_GT(numbers[9], 0.5);
    }
    EXPECT_EQ(row(out, "4"), std::vector<double>{}) << "only scenes with frames have rows";

    const std::string text = fileText(json);
    for (const char* key : {"\"width\": 800", "\"height\": 600", "\"fps\": 10", "\"framesPlanned\": 10",
                            "\"stoppedEarly\": false", "\"startupMs\": ", "\"renderer\": \"llvmpipe", "\"fillRate\": ",
                            "\"scene\": 2, \"frames\": 6", "\"scene\": 3, \"frames\": 4", "\"total\": {\"frames\": 10",
                            "\"onePercentLowFps\": ", "\"worstFrameMs\": ", "\"fragmentsPerFrame\": ",
                            "\"fillFloorMs\": ", "\"frameToFloor\": ", "\"cpuMeanMs\": ", "\"cpuWorstMs\": ",
                            "\"steadyAllocationsPerFrame\": ", "\"allocationsAfterFirstFrame\": ", "\"startup\": {\"wallMs\": {\"programLoad\": ",
                            "\"mainThreadCpuMs\": {", "\"scenes\": [", "\"firstFrame\": ", "\"musicDecodeMs\": "})
        EXPECT_NE(text.find(key), std::string::npos) << key << " is missing from:\n" << text;
    // Past the sizes, of which the window's are null when there is none.
    EXPECT_EQ(text.find("null", text.find("\"fps\"")), std::string::npos) << "llvmpipe counts fragments:\n" << text;
}

// A target that cannot be written is refused before the run; one that
// fails only when written (a full device) fails after the table is out.
TEST(Benchmark, UnwritableJsonFileIsNamedAfterTheTable) {
    const ProcessResult r =
        afterglow({"--windowed", "--benchmark", "--from", "1000", "--to", "1100", "--json", "/dev/full"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("scene  frames"), std::string::npos) << "the numbers are not lost";
    EXPECT_NE(r.err.find("\"/dev/full\": No space left on device"), std::string::npos) << r.err;
}

}  // namespace
