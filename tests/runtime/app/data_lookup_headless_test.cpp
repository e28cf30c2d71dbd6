// Where the real program finds its data, without a display.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

// Data that is there but may not be read is named for what it is: once for
// a folder, with the reason for a file, and never as missing.
TEST(DataFolder, WhatMayNotBeReadIsNamedAsSuchOnce) {
    TempDir here;
    linkWholeDataSet(here.path());
    ProcessOptions options = within(120, here.path().string(), {"AFTERGLOW_DATA_DIR=" + here.path().string()});
    options.permissionsApply = true;  // root reads past permissions otherwise
    // Textures/ that cannot be entered, in the folder named outright.
    ASSERT_EQ(chmod((here / "Textures").c_str(), 0), 0);
    ProcessResult r = afterglow({"--shot", "1000", "shot.png"}, options);
    if (r.exitCode == kPermissionsNotApplied) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(r.err, "afterglow: Textures/ in " + here.path().string() + " cannot be read (Permission denied)"),
              1u)
        << r.err;
    EXPECT_EQ(countOf(r.err, "Permission denied"), 1u) << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;

    // The same where it is started, with the whole copy beside the program.
    options.setEnv.clear();
    r = afterglow({"--shot", "1000", "shot.png"}, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(r.err, "afterglow: the working directory " + here.path().string() +
                                 " holds the data, but it cannot be read (Textures/"),
              1u)
        << r.err;
    EXPECT_EQ(countOf(r.err, ": Permission denied); passed over\n"), 1u) << r.err;
    EXPECT_NE(r.err.find("data from " + kBuildDir.string() + "\n"), std::string::npos) << r.err;

    // One image that may not be read: its name and the reason, no box.
    ASSERT_EQ(chmod((here / "Textures").c_str(), 0755), 0);
    fs::remove(here / "Textures/gradient.jpg");
    fs::copy_file(kBuildDir / "Textures/gradient.jpg", here / "Textures/gradient.jpg");
    ASSERT_EQ(chmod((here / "Textures/gradient.jpg").c_str(), 0), 0);
    r = afterglow({"--shot", "1000", "shot.png"}, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countOf(r.err, "afterglow: Textures/gradient.jpg: Permission denied; the texture stays empty\n"), 1u)
        << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("passed over"), std::string::npos) << r.err;
}

// Folders deeper than a path may name (PATH_MAX, 4096 characters): made
// and removed a folder at a time.
class DeepFolder {
public:
    DeepFolder(const fs::path& base, int depth) : name_(200, 'd') {
        fds_.push_back(open(base.c_str(), O_DIRECTORY | O_CLOEXEC));
        path_ = base.string();
        for (int k = 0; k < depth && fds_.back() >= 0; ++k) {
            mkdirat(fds_.back(), name_.c_str(), 0755);
            fds_.push_back(openat(fds_.back(), name_.c_str(), O_DIRECTORY | O_CLOEXEC));
            path_ += "/" + name_;
        }
    }
    ~DeepFolder() {
        for (size_t k = fds_.size() - 1; k > 0; --k) {
            for (const char* link : {"demo.mp3", "Textures", "shaders", "models", "shot.png"})
                unlinkat(fds_[k], link, 0);
            close(fds_[k]);
            unlinkat(fds_[k - 1], name_.c_str(), AT_REMOVEDIR);
        }
        close(fds_[0]);
    }
    // The data set, as links to the build's folders.
    void linkData() const {
        for (const char* link : {"demo.mp3", "Textures", "shaders", "models"})
            EXPECT_EQ(symlinkat((kBuildDir / link).c_str(), fds_.back(), link), 0) << link;
    }
    const std::string& path() const { return path_; }

private:
    std::string name_;
    std::string path_;
    std::vector<int> fds_;
};

// A path too long to use is named as too long; a working directory that
// long is used as any other, its files read by their relative names.
TEST(DataFolder, PathsLongerThanAPathMayBeAreNamedOrUsedAsTheyAre) {
    TempDir base;
    const DeepFolder deep(base.path(), 25);
    deep.linkData();
    ASSERT_GT(deep.path().size(), 5000u);
    ProcessResult r = afterglowIn(base.path(), {"--shot", "1000", "shot.png"}, {"AFTERGLOW_DATA_DIR=" + deep.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("\" is too long a path (" + std::to_string(deep.path().size()) + " characters)\n"),
              std::string::npos)
        << r.err.substr(r.err.size() - std::min<size_t>(r.err.size(), 300));

    r = afterglowIn(deep.path(), {"--shot", "1000", (base / "shot.png").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("data from"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(base / "shot.png"));
}

}  // namespace
