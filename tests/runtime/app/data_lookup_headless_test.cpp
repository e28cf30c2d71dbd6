// Where the real program finds its data, without a display.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuildDir = AFTERGLOW_DATA_DIR;

ProcessResult afterglowIn(const fs::path& workingDir, std::vector<std::string> args,
                          std::vector<std::string> env = {}) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    ProcessOptions options;
    options.workingDir = workingDir.string();
    options.timeoutSec = 120;
    options.setEnv = std::move(env);
    return runProcess(args, options);
}

TEST(DataFolder, OneThatIsNotThereIsAnErrorBeforeAnythingStarts) {
    TempDir scratch;
    const ProcessResult r = afterglowIn(scratch.path(), {"--shot", "1000", "x.png"},
                                        {"AFTERGLOW_DATA_DIR=" + (scratch / "missing").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("AFTERGLOW_DATA_DIR"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(scratch.path().string() + "/missing"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(scratch / "x.png"));
    EXPECT_EQ(r.out.find("initialize()"), std::string::npos);
}

TEST(DataFolder, TheWorkingDirectoryComesFirstAndReportsEachFileItLacks) {
    // Images but not all of them, and nothing else: the working directory is
    // still the data folder, not the complete one beside the program.
    TempDir here;
    fs::create_directory(here / "Textures");
    for (const auto& image : fs::directory_iterator(kBuildDir / "Textures"))
        if (image.path().filename() != "gradient.jpg") fs::copy_file(image.path(), here / "Textures" / image.path().filename());
    const ProcessResult r = afterglowIn(here.path(), {"--shot", "1000", "shot.png"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("data from"), std::string::npos) << r.err;
    EXPECT_EQ(countOf(r.err, "File Textures/gradient.jpg not found!"), 1u) << r.err;
    EXPECT_EQ(countOf(r.err, "Textures/"), 1u) << r.err;
    EXPECT_EQ(countOf(r.err, "no shaders/ folder in " + here.path().string()), 1u) << r.err;
    EXPECT_EQ(countOf(r.err, "no models/ folder in " + here.path().string()), 1u) << r.err;
    EXPECT_TRUE(fs::exists(here / "shot.png"));
}

TEST(DataFolder, StartedElsewhereItReadsBesideItselfAndWritesWhereTheUserIs) {
    TempDir elsewhere;
    const ProcessResult r = afterglowIn(
        elsewhere.path(), {"--frames", "frames", "--fps", "10", "--from", "60000", "--to", "60200"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("data from " + kBuildDir.string()), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(elsewhere / "frames/frame000000.png"));
    EXPECT_TRUE(fs::exists(elsewhere / "frames/frame000001.png"));
    EXPECT_FALSE(fs::exists(kBuildDir / "frames"));
}

}  // namespace
