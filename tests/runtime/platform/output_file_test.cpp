// Output files: a target is replaced only by a complete file, and the only
// thing ever removed is a temporary file of our own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "runtime/platform/output_file.h"
#include "runtime/frame/screenshot.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> names(const fs::path& dir) {
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(dir)) all.push_back(entry.path().filename());
    std::sort(all.begin(), all.end());
    return all;
}

TEST(OutputFile, TheTargetChangesOnlyOnCommitAndKeepsItsPermissions) {
    TempDir dir;
    const fs::path target = dir / "shot.png";
    putFile(target, "old");
    chmod(target.c_str(), 0640);
    std::ifstream reader(target, std::ios::binary);  // someone still reading the old file

    OutputFile out(target.string());
    std::string error;
    ASSERT_TRUE(out.begin(error)) << error;
    EXPECT_NE(out.path(), target.string());
    EXPECT_EQ(fs::path(out.path()).extension(), ".png") << "ffmpeg picks the container by it";
    putFile(out.path(), "new");
    EXPECT_EQ(fileContents(target), "old") << "written before it was complete";
    ASSERT_TRUE(out.commit(error)) << error;

    EXPECT_EQ(fileContents(target), "new");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "old") << "the old file was overwritten in place";
    struct stat st = {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(names(dir.path()), std::vector<std::string>{"shot.png"});
}

TEST(OutputFile, WithoutCommitNothingChangesAndNothingIsLeft) {
    TempDir dir;
    std::string error;
    {
        putFile(dir / "notes.txt", "mine");
        OutputFile out((dir / "notes.txt").string());
        ASSERT_TRUE(out.begin(error)) << error;
        putFile(out.path(), "half a vid");
        OutputFile fresh((dir / "new.mp4").string());
        ASSERT_TRUE(fresh.begin(error)) << error;
    }
    EXPECT_EQ(fileContents(dir / "notes.txt"), "mine");
    EXPECT_EQ(names(dir.path()), std::vector<std::string>{"notes.txt"});

    // Ending the process from anywhere removes what is still unfinished.
    const fs::path target = dir / "capture.mp4";
    EXPECT_EXIT(
        {
            OutputFile out(target.string());
            std::string ignored;
            if (!out.begin(ignored)) std::_Exit(9);
            std::exit(3);
        },
        testing::ExitedWithCode(3), "");
    EXPECT_EQ(names(dir.path()), std::vector<std::string>{"notes.txt"});

    // A probe of whether a target can be written leaves nothing either.
    EXPECT_TRUE(outputFileUsable((dir / "report.json").string(), error)) << error;
    EXPECT_EQ(names(dir.path()), std::vector<std::string>{"notes.txt"});
}

TEST(OutputFile, LinksAreFollowedDevicesWrittenInPlaceFoldersRefused) {
    TempDir dir;
    std::string error;
    putFile(dir / "real.png", "old");
    fs::create_symlink(dir / "real.png", dir / "link.png");
    {
        OutputFile out((dir / "link.png").string());
        ASSERT_TRUE(out.begin(error)) << error;
        putFile(out.path(), "new");
        ASSERT_TRUE(out.commit(error)) << error;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(fileContents(dir / "real.png"), "new");

    {
        OutputFile out("/dev/null");
        ASSERT_TRUE(out.begin(error)) << error;
        EXPECT_EQ(out.path(), "/dev/null");
        EXPECT_TRUE(out.commit(error)) << error;
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const std::pair<std::string, std::string> refused[] = {
        {dir.path().string(), "Is a directory"},
        {(dir / "no-folder" / "x.png").string(), "No such file or directory"},
        {(dir / "real.png" / "x.png").string(), "Not a directory"},
        {"", "no file name"},
    };
    for (const auto& [target, why] : refused) {
        error.clear();
        EXPECT_FALSE(outputFileUsable(target, error)) << target;
        EXPECT_EQ(error, why) << target;
    }
}

// A picture or report sent to a device that cannot take it fails with the
// reason, and the device stays; a link into /dev stands in for a device
// node, which only root could make.
TEST(OutputFile, AFullDeviceIsReportedAndLeftInPlace) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    const fs::path link = dir / "full.png";
    fs::create_symlink("/dev/full", link);
    std::string error;
    const std::vector<uint8_t> rgb(64 * 64 * 3, 200);
    EXPECT_FALSE(writePngRgb(link.string(), 64, 64, rgb, error));
    EXPECT_EQ(error, "No space left on device");
    EXPECT_TRUE(fs::is_symlink(link));

    error.clear();
    EXPECT_FALSE(writeOutputText(link.string(), std::string(100000, 'x'), error));
    EXPECT_EQ(error, "No space left on device");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

}  // namespace
