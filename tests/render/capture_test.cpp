// Offline capture with the real program: frame files, sizes beyond the
// screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

ProcessResult afterglow(std::vector<std::string> args, double seconds = 120) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    ProcessOptions options;
    options.timeoutSec = seconds;
    options.workingDir = AFTERGLOW_DATA_DIR;
    return runProcess(args, options);
}

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

RgbImage image(const std::filesystem::path& file) {
    RgbImage picture;
    std::string error;
    EXPECT_TRUE(readPngRgb(file.string(), picture, error)) << error;
    return picture;
}

TEST(Frames, HalfASecondAtTenFramesASecondIsFiveNumberedPictures) {
    TempDir dir;
    const auto out = dir / "frames";  // made by the program
    const ProcessResult r =
        afterglow({"800", "600", "--frames", out.string(), "--fps", "10", "--from", "40000", "--to", "40500"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("frame 5/5"), std::string::npos) << r.err;  // the progress line's last state
    ASSERT_EQ(filesIn(out), (std::vector<std::string>{"frame000000.png", "frame000001.png", "frame000002.png",
                                                      "frame000003.png", "frame000004.png"}));
    const RgbImage first = image(out / "frame000000.png");
    ASSERT_EQ(first.width, 800);
    ASSERT_EQ(first.height, 600);
    EXPECT_EQ(first.maxInRows(0, 75), 0) << "the bars are in the picture";
    EXPECT_EQ(first.maxInRows(525, 600), 0);
    EXPECT_GT(first.maxInRows(75, 525), 0);
    EXPECT_NE(first.pixels, image(out / "frame000004.png").pixels) << "time moves between frames";
}

TEST(Frames, SizeLargerThanTheScreen) {
    TempDir dir;
    const ProcessResult r =
        afterglow({"1920", "1080", "--frames", dir.path().string(), "--fps", "10", "--from", "30000", "--to", "30100"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(filesIn(dir.path()), std::vector<std::string>{"frame000000.png"});
    const RgbImage picture = image(dir / "frame000000.png");
    EXPECT_EQ(picture.width, 1920);
    EXPECT_EQ(picture.height, 1080);
    EXPECT_GT(picture.maxInRows(900, 1080), 0) << "drawn beyond the 1024 rows of the screen";
}

TEST(Frames, UnwritableFolderIsNamed) {
    const ProcessResult r = afterglow({"--frames", "/proc/no-such-folder", "--from", "0", "--to", "10"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("/proc/no-such-folder"), std::string::npos) << r.err;
}

}  // namespace
