// --shot through the real program without a display.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/window_keys.h"
#include "support/png_read.h"
#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace {

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

RgbImage shot(int ms, const std::filesystem::path& file, std::vector<std::string> size = {}) {
    size.insert(size.end(), {"--shot", std::to_string(ms), file.string()});
    const ProcessResult r = afterglow(size);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    RgbImage image;
    std::string error;
    EXPECT_TRUE(readPngRgb(file.string(), image, error)) << error;
    return image;
}

TEST(Shot, FrameHasTheLetterboxAndIsTheSameOnEveryRun) {
    TempDir dir;
    const RgbImage a = shot(1000, dir / "a.png");
    ASSERT_EQ(a.width, 1024);
    ASSERT_EQ(a.height, 768);
    EXPECT_EQ(a.maxInRows(0, 96), 0) << "upper bar";
    EXPECT_EQ(a.maxInRows(672, 768), 0) << "lower bar";
    EXPECT_GT(a.maxInRows(96, 672), 0) << "the picture between the bars";

    shot(1000, dir / "b.png");
    EXPECT_EQ(fileBytes(dir / "a.png"), fileBytes(dir / "b.png"));
}

TEST(Shot, BarsFollowTheRequestedSize) {
    TempDir dir;
    const RgbImage image = shot(40000, dir / "s.png", {"800", "600"});
    ASSERT_EQ(image.width, 800);
    ASSERT_EQ(image.height, 600);
    EXPECT_EQ(image.maxInRows(0, 75), 0);
    EXPECT_EQ(image.maxInRows(525, 600), 0);
    EXPECT_GT(image.maxInRows(75, 525), 0);
}

TEST(Shot, LateInALongSceneAndAtTheVeryEnd) {
    TempDir dir;
    EXPECT_EQ(shot(236000, dir / "late.png").width, 1024);  // 28.5 s into its scene
    EXPECT_EQ(shot(243200, dir / "end.png").width, 1024);   // the last frame shown
}

TEST(Shot, UnwritableFileIsReportedByName) {
    const ProcessResult r = afterglow({"--shot", "1000", "/nonexistent-dir/x.png"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("/nonexistent-dir/x.png"), std::string::npos) << r.err;
}

}  // namespace
