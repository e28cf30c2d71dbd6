// The real program on damaged copies of its data folder: files that are
// not files at all, a path too long to evaluate the old way, and one file of
// each kind with each fault of the fault table (scripts/fault-table runs
// all of them). Whatever the damage, the run ends well, draws, raises no GL
// error and names each damaged file once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <fstream>

#include "support/data_faults.h"
#include "support/png_read.h"

namespace {

void replaceBy(const DataFolder& folder, const std::string& file, const std::function<void(const std::string&)>& make) {
    const std::filesystem::path path = folder.path() / file;
    std::filesystem::remove(path);
    make(path.string());
}

TEST(DataFaults, EndlessDevicesAndPipesAreRefusedAndTheShowGoesOn) {
    DataFolder folder(AFTERGLOW_DATA_DIR);
    const auto endless = [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); };
    const auto pipe = [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); };
    replaceBy(folder, "Textures/cloudy.jpg", endless);
    replaceBy(folder, "shaders/phong.vs", endless);
    replaceBy(folder, "models/city.ASE", pipe);
    replaceBy(folder, "models/symbols.ASE", endless);
    replaceBy(folder, "demo.mp3", pipe);
    const ProcessResult r = runOnFolder(AFTERGLOW_BINARY, folder, RunKind::StartUp);
    ASSERT_FALSE(r.timedOut) << r.err;
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string device = ": is a character device, not a file; ";
    for (const std::string& line :
         {"afterglow: Textures/cloudy.jpg" + device + "the texture stays empty\n",
          "afterglow: shaders/phong.vs" + device + "its program is linked without it\n",
          "afterglow: models/symbols.ASE" + device + "its models and paths stay empty\n",
          std::string("afterglow: models/city.ASE: is a named pipe, not a file; its models and paths stay empty\n"),
          std::string("afterglow: cannot play \"demo.mp3\": is a named pipe, not a file; the presentation runs "
                      "silently\n")})
        EXPECT_EQ(countOf(r.err, line), 1u) << line << r.err;
    EXPECT_EQ(r.err.find("GL error"), std::string::npos) << r.err;
    RgbImage shot;
    std::string error;
    ASSERT_TRUE(readPngRgb((folder.path() / "shot.png").string(), shot, error)) << error;
    EXPECT_GT(shot.maxInRows(100, 400), 0) << "the opening still draws";
}

TEST(DataFaults, AFlightPathOfOneLongSegmentCostsLittleEachFrame) {
    // 20000 points between two knots: each evaluation used to take a third
    // of a second, and a shot in the opening never finished.
    DataFolder folder(AFTERGLOW_DATA_DIR);
    replaceBy(folder, "models/spline.ase", [](const std::string& path) {
        std::ofstream out(path);
        const int rows = 20000;
        out << "*SHAPEOBJECT {\n\t*NODE_NAME \"Line01\"\n\t*SHAPE_LINECOUNT 1\n\t*SHAPE_LINE 0 {\n"
            << "\t\t*SHAPE_VERTEXCOUNT " << rows << "\n";
        for (int i = 0; i < rows; ++i)
            out << "\t\t" << (i == 0 || i == rows - 1 ? "*SHAPE_VERTEX_KNOT " : "*SHAPE_VERTEX_INTERP ") << i << "\t"
                << 300.0 * std::cos(i * 0.001) << "\t" << 300.0 * std::sin(i * 0.0013) << "\t" << 20 + i % 7 << "\n";
        out << "\t}\n}\n";
    });
    ProcessOptions options;
    options.workingDir = folder.path().string();
    options.timeoutSec = 150;
    const ProcessResult r =
        runProcess({AFTERGLOW_BINARY, "--shot", "20000", (folder.path() / "shot.png").string()}, options);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "shot.png"));
}

// One file of each kind, all used by scene 3, with each fault at once.
TEST(DataFaults, OneFileOfEachKindWithEachFaultIsNamedOnceAndTheShowPlays) {
    const std::vector<std::string> files = {"demo.mp3", "Textures/cloud.jpg", "shaders/equ2.ps", "models/abc.ASE"};
    for (Fault fault : allFaults()) {
        SCOPED_TRACE(faultName(fault));
        DataFolder folder(AFTERGLOW_DATA_DIR);
        for (const std::string& f : files) folder.damage(f, fault);
        const ProcessResult r = runOnFolder(AFTERGLOW_BINARY, folder, RunKind::ShortBenchmark);
        for (const std::string& f : files) {
            const FaultVerdict v = judge(r, RunKind::ShortBenchmark, f);
            EXPECT_TRUE(v.ok) << f << ": " << v.outcome << "\n" << r.err;
        }
    }
}

}  // namespace
