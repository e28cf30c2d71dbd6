// --frames and --capture through the real program without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <unistd.h>

#include "support/window_keys.h"
#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

ProcessResult afterglow(std::vector<std::string> args, std::vector<std::string> env = {},
                        void (*onRunning)(int, void*) = nullptr) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    ProcessOptions options;
    options.timeoutSec = 120;
    options.workingDir = AFTERGLOW_DATA_DIR;
    options.setEnv = std::move(env);
    return runProcess(args, options, onRunning);
}

// The full path of a program on PATH, or empty.
std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(dir) / name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

// ffprobe's "key=value" lines for each stream, in stream order, and the
// container's duration.
struct Probe {
    std::vector<std::map<std::string, std::string>> streams;
    double duration = 0.0;
};

Probe probe(const std::string& ffprobe, const std::filesystem::path& file) {
    const ProcessResult r = runProcess({ffprobe, "-v", "error", "-show_entries",
                                        "stream=codec_type,codec_name,pix_fmt,nb_frames:format=duration", "-of",
                                        "flat", file.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Probe result;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        // streams.stream.0.codec_name="h264" / format.duration="2.000000"
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        const std::string key = line.substr(0, eq);
        if (key == "format.duration") {
            result.duration = std::atof(value.c_str());
        } else if (key.rfind("streams.stream.", 0) == 0) {
            const size_t dot = key.find('.', 15);
            const size_t index = std::stoul(key.substr(15, dot - 15));
            if (result.streams.size() <= index) result.streams.resize(index + 1);
            result.streams[index][key.substr(dot + 1)] = value;
        }
    }
    return result;
}

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
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
    const RgbImage first = pngImage((out / "frame000000.png").string());
    ASSERT_EQ(first.width, 800);
    ASSERT_EQ(first.height, 600);
    EXPECT_EQ(first.maxInRows(0, 75), 0) << "the bars are in the picture";
    EXPECT_EQ(first.maxInRows(525, 600), 0);
    EXPECT_GT(first.maxInRows(75, 525), 0);
    EXPECT_NE(first.pixels, pngImage((out / "frame000004.png").string()).pixels) << "time moves between frames";
}

TEST(Frames, SizeLargerThanTheScreen) {
    TempDir dir;
    const ProcessResult r =
        afterglow({"1920", "1080", "--frames", dir.path().string(), "--fps", "10", "--from", "30000", "--to", "30100"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(filesIn(dir.path()), std::vector<std::string>{"frame000000.png"});
    const RgbImage picture = pngImage((dir / "frame000000.png").string());
    EXPECT_EQ(picture.width, 1920);
    EXPECT_EQ(picture.height, 1080);
    EXPECT_GT(picture.maxInRows(900, 1080), 0) << "drawn beyond the 1024 rows of the screen";
}

TEST(Frames, UnwritableFolderIsNamed) {
    const ProcessResult r = afterglow({"--frames", "/proc/no-such-folder", "--from", "0", "--to", "10"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("/proc/no-such-folder"), std::string::npos) << r.err;
}

TEST(Capture, TwoSecondsAtTenFramesASecondWithTheirMusic) {
    const std::string ffprobe = onPath("ffprobe");
    if (ffprobe.empty() || onPath("ffmpeg").empty()) GTEST_SKIP() << "ffmpeg and ffprobe are needed (scripts/install-deps)";
    TempDir dir;
    const auto video = dir / "span.mp4";
    const ProcessResult r =
        afterglow({"800", "600", "--capture", video.string(), "--fps", "10", "--from", "40000", "--to", "42000"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Probe p = probe(ffprobe, video);
    ASSERT_EQ(p.streams.size(), 2u);
    EXPECT_EQ(p.streams[0]["codec_type"], "video");
    EXPECT_EQ(p.streams[0]["codec_name"], "h264");
    EXPECT_EQ(p.streams[0]["pix_fmt"], "yuv420p");
    EXPECT_EQ(p.streams[0]["nb_frames"], "20");
    EXPECT_EQ(p.streams[1]["codec_type"], "audio");
    EXPECT_EQ(p.streams[1]["codec_name"], "aac");
    EXPECT_NEAR(p.duration, 2.0, 0.1);  // within one frame
}

TEST(Capture, FfmpegFailingOrMissingEndsWithOneAndLeavesNoFile) {
    if (onPath("ffmpeg").empty()) GTEST_SKIP() << "ffmpeg is needed (scripts/install-deps)";
    TempDir dir;
    const auto unknown = dir / "x.unknown";  // ffmpeg knows no container for it and stops reading
    ProcessResult r = afterglow({"--capture", unknown.string(), "--fps", "10", "--from", "0", "--to", "1000"});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(unknown));

    // A folder that is not there is found out before ffmpeg starts.
    const auto unwritable = dir / "missing-folder" / "x.mp4";
    r = afterglow({"--capture", unwritable.string(), "--fps", "10", "--from", "0", "--to", "1000"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("x.mp4\": No such file or directory"), std::string::npos) << r.err;

    const auto video = dir / "x.mp4";
    r = afterglow({"--capture", video.string(), "--from", "0", "--to", "100"}, {"PATH=" + (dir / "empty").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg is not installed"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(video));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a temporary file was left behind";
}

}  // namespace
