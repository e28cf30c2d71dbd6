// afterglow-inspect jpeg: the program's decoding written as PPM, close to
// libjpeg-turbo's float decoding; refusals are one line and exit 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg_writer.h"
#include "support/jpeg_support.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

bool readPpm(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic >> width >> height >> maxValue) || magic != "P6" || maxValue != 255) return false;
    in.get();
    rgb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return rgb.size() == static_cast<size_t>(width) * height * 3;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

ProcessResult inspect(const std::string& in, const std::string& out) {
    return runProcess({AFTERGLOW_INSPECT_BINARY, "jpeg", in, out});
}

TEST(InspectJpeg, WritesTheDecodedPixelsAsPpm) {
    TempDir dir;
    struct Case {
        int width, height, channels;
        JpegSampling sampling;
        int restartRows;
    };
    const Case cases[] = {{1, 1, 1, JpegSampling::S444, 0},
                          {333, 201, 3, JpegSampling::S420, 1},
                          {7, 9, 3, JpegSampling::S422, 0},
                          {40, 24, 3, JpegSampling::S444, 1}};
    for (const Case& c : cases) {
        JpegWriteOptions o;
        o.sampling = c.sampling;
        o.restartRows = c.restartRows;
        std::string error;
        const std::vector<uint8_t> file =
            encodeJpeg(jpegTestPattern(c.width, c.height, c.channels).data(), c.width, c.height, c.channels, o, error);
        writeBytes((dir / "in.jpg").string(), file);
        const ProcessResult r = inspect((dir / "in.jpg").string(), (dir / "out.ppm").string());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        int width = 0, height = 0;
        std::vector<uint8_t> ours, theirs;
        ASSERT_TRUE(readPpm((dir / "out.ppm").string(), width, height, ours));
        int w = 0, h = 0;
        ASSERT_TRUE(decodeWithLibjpegFloat(file, w, h, theirs, error)) << error;
        ASSERT_EQ(width, w);
        ASSERT_EQ(height, h);
        int worst = 0;
        for (size_t i = 0; i < ours.size(); ++i) worst = std::max(worst, std::abs(ours[i] - theirs[i]));
        EXPECT_LE(worst, c.channels == 1 ? 1 : 4) << c.width << "x" << c.height;
    }
}

TEST(InspectJpeg, RefusesWithOneLineAndSurvivesDamage) {
    TempDir dir;
    JpegWriteOptions progressive;
    progressive.progressive = true;
    std::string error;
    const std::vector<uint8_t> pattern = jpegTestPattern(64, 64, 3);
    writeBytes((dir / "progressive.jpg").string(), encodeJpeg(pattern.data(), 64, 64, 3, progressive, error));
    ProcessResult r = inspect((dir / "progressive.jpg").string(), (dir / "out.ppm").string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("progressive"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;

    r = inspect((dir / "absent.jpg").string(), (dir / "out.ppm").string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(runProcess({AFTERGLOW_INSPECT_BINARY, "jpeg", "only-one"}).exitCode, 2);

    const std::vector<uint8_t> file = encodeJpeg(pattern.data(), 64, 64, 3, JpegWriteOptions{}, error);
    std::vector<uint8_t> truncated(file.begin(), file.begin() + file.size() / 2);
    std::vector<uint8_t> flipped = file;
    for (size_t i = 200; i < flipped.size(); i += 97) flipped[i] ^= 0x5A;
    for (const auto& damaged : {truncated, flipped}) {
        writeBytes((dir / "damaged.jpg").string(), damaged);
        r = inspect((dir / "damaged.jpg").string(), (dir / "out.ppm").string());
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.exitCode << r.err;
    }
}

}  // namespace
