// Where the real program finds its data, without a display.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuildDir = AFTERGLOW_DATA_DIR;

ProcessResult afterglowIn(const fs::path& workingDir, std::vector<std::string> args,
                          std::vector<std::string> env = {}) {
    return afterglow(std::move(args), within(120, workingDir.string(), std::move(env)));
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

// A working directory with every file of the data set, each a link into the
// build's data folder.
void linkWholeDataSet(const fs::path& here) {
    fs::create_symlink(kBuildDir / "demo.mp3", here / "demo.mp3");
    for (const char* folder : {"Textures", "shaders", "models"}) {
        fs::create_directory(here / folder);
        for (const auto& file : fs::directory_iterator(kBuildDir / folder))
            fs::create_symlink(file.path(), here / folder / file.path().filename());
    }
}

TEST(DataFolder, AWorkingDirectoryWithOnlyPartOfTheDataIsNamedAndPassedOver) {
    // A stray empty Textures/ where the program is started, and one that
    // lacks a single image: neither hides the whole copy beside the program.
    TempDir empty, partial;
    fs::create_directory(empty / "Textures");
    linkWholeDataSet(partial.path());
    fs::remove(partial / "Textures/gradient.jpg");
    for (const auto& [here, lacking] : {std::pair{empty.path(), std::string("(no demo.mp3, Textures/")},
                                        std::pair{partial.path(), std::string("(no Textures/gradient.jpg)")}}) {
        const ProcessResult r = afterglowIn(here, {"--shot", "1000", "shot.png"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(countOf(r.err, "afterglow: the working directory " + here.string() + " holds only part of the data " +
                                     lacking),
                  1u)
            << r.err;
        EXPECT_EQ(countOf(r.err, "; passed over\n"), 1u) << r.err;
        EXPECT_NE(r.err.find("data from " + kBuildDir.string() + "\n"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("no shaders/ folder"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::exists(here / "shot.png")) << "the shot lands where the user is";
    }

    // The whole data set there is used as it is.
    TempDir whole;
    linkWholeDataSet(whole.path());
    const ProcessResult r = afterglowIn(whole.path(), {"--shot", "1000", "shot.png"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("data from"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("passed over"), std::string::npos) << r.err;
}

TEST(DataFolder, WithNoWholeCopyAnywhereThePartialWorkingDirectoryIsReadAndEachFileItLacksNamed) {
    // The program alone in a folder of its own: nothing beside it, no
    // installed copy, so the working directory's part is the best there is.
    TempDir alone, here;
    fs::copy_file(AFTERGLOW_BINARY, alone / "afterglow");
    fs::create_directory(here / "Textures");
    for (const auto& image : fs::directory_iterator(kBuildDir / "Textures"))
        if (image.path().filename() != "gradient.jpg") fs::copy_file(image.path(), here / "Textures" / image.path().filename());
    ProcessOptions options;
    options.workingDir = here.path().string();
    options.timeoutSec = 120;
    const ProcessResult r = runProcess({(alone / "afterglow").string(), "--shot", "1000", "shot.png"}, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("data from"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("passed over"), std::string::npos) << r.err;
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
