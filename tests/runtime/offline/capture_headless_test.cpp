// --frames and --capture through the real program without a display.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/video_probe.h"

namespace {

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The progress lines a run left in its log (stderr is a file here, not a
// terminal): one at every tenth of the frames, nothing rewritten.
std::vector<std::string> progressLines(const std::string& err) {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        if (line.find("%  frame ") != std::string::npos) lines.push_back(line);
    return lines;
}

TEST(Frames, HalfASecondAtTenFramesASecondIsFiveNumberedPictures) {
    TempDir dir;
    const auto out = dir / "frames";  // made by the program
    const ProcessResult r =
        runAfterglow({"800", "600", "--frames", out.string(), "--fps", "10", "--from", "40000", "--to", "40500"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos) << "a log gets whole lines";
    const std::vector<std::string> progress = progressLines(r.err);
    ASSERT_EQ(progress.size(), 5u) << r.err;  // a tenth is less than a frame here: every frame
    EXPECT_EQ(progress.front().rfind("afterglow:  20%  frame 1/5  ", 0), 0u) << progress.front();
    EXPECT_EQ(progress.back().rfind("afterglow: 100%  frame 5/5  ", 0), 0u) << progress.back();
    ASSERT_EQ(filesIn(out), (std::vector<std::string>{"frame000000.png", "frame000001.png", "frame000002.png",
                                                      "frame000003.png", "frame000004.png"}));
    const RgbImage first = pngImage((out / "frame000000.png").string());
    ASSERT_EQ(first.width, 800);
    ASSERT_EQ(first.height, 600);
    EXPECT_EQ(first.maxInRows(0, 75), 0) << "the bars are in the picture";
    EXPECT_EQ(first.maxInRows(525, 600), 0);
    EXPECT_GT(first.maxInRows(75, 525), 0);
    const RgbImage last = pngImage((out / "frame000004.png").string());
    EXPECT_NE(first.pixels, last.pixels) << "time moves between frames";

    // A part draws its slice of the same run and numbers the files as the
    // whole run does.
    const auto part = dir / "part";
    const ProcessResult p = runAfterglow(
        {"800", "600", "--frames", part.string(), "--fps", "10", "--from", "40000", "--to", "40500", "--part", "2/2"});
    ASSERT_EQ(p.exitCode, 0) << p.err;
    ASSERT_EQ(filesIn(part), (std::vector<std::string>{"frame000002.png", "frame000003.png", "frame000004.png"}));
    EXPECT_EQ(pngImage((part / "frame000004.png").string()).pixels, last.pixels);
}

TEST(Frames, SizeLargerThanTheScreen) {
    TempDir dir;
    const ProcessResult r = runAfterglow(
        {"1920", "1080", "--frames", dir.path().string(), "--fps", "10", "--from", "30000", "--to", "30100"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(filesIn(dir.path()), std::vector<std::string>{"frame000000.png"});
    const RgbImage picture = pngImage((dir / "frame000000.png").string());
    EXPECT_EQ(picture.width, 1920);
    EXPECT_EQ(picture.height, 1080);
    EXPECT_GT(picture.maxInRows(900, 1080), 0) << "drawn beyond the 1024 rows of the screen";
}

TEST(Frames, UnwritableFolderIsNamed) {
    const ProcessResult r = runAfterglow({"--frames", "/proc/no-such-folder", "--from", "0", "--to", "10"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("/proc/no-such-folder"), std::string::npos) << r.err;
}

TEST(Capture, TwoSecondsAtTenFramesASecondAreWhatAVideoSiteExpects) {
    if (!videoToolsInstalled()) GTEST_SKIP() << kVideoToolsNeeded;
    TempDir dir;
    const auto video = dir / "span.mp4";
    const ProcessResult r =
        runAfterglow({"800", "600", "--capture", video.string(), "--fps", "10", "--from", "40000", "--to", "42000"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(progressLines(r.err).size(), 10u) << r.err;
    VideoProbe p = probeVideo(video);
    ASSERT_EQ(p.streams.size(), 2u);
    EXPECT_EQ(p.streams[0]["codec_type"], "video");
    EXPECT_EQ(p.streams[0]["codec_name"], "h264");
    EXPECT_EQ(p.streams[0]["profile"], "High");
    EXPECT_EQ(p.streams[0]["pix_fmt"], "yuv420p");
    EXPECT_EQ(p.streams[0]["color_space"], "bt709");
    EXPECT_EQ(p.streams[0]["color_transfer"], "bt709");
    EXPECT_EQ(p.streams[0]["color_primaries"], "bt709");
    EXPECT_EQ(p.streams[0]["color_range"], "tv");
    EXPECT_EQ(p.streams[0]["nb_frames"], "20");
    EXPECT_EQ(p.streams[1]["codec_type"], "audio");
    EXPECT_EQ(p.streams[1]["codec_name"], "aac");
    EXPECT_EQ(p.streams[1]["sample_rate"], "48000");
    EXPECT_NEAR(std::atof(p.format["duration"].c_str()), 2.0, 0.1);  // within one frame
    const std::vector<std::string> boxes = mp4TopLevelBoxes(video);
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    EXPECT_LT(moov, std::find(boxes.begin(), boxes.end(), "mdat")) << "the index comes first (faststart)";
}

// The lossless archive: Matroska, and every pixel as --frames draws it,
// read back with the BT.709 matrix the video is tagged with (the 4:2:0
// colour keeps it from being exact: 42.5 dB here; read as BT.601 it is
// 39.9, and a picture upside down far less).
TEST(Capture, LosslessMatroskaHoldsTheFramesPictureInBt709) {
    if (!videoToolsInstalled()) GTEST_SKIP() << kVideoToolsNeeded;
    TempDir dir;
    const std::vector<std::string> span = {"800", "600", "--fps", "10", "--from", "41000", "--to", "41100"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), span.begin(), span.end());
        return more;
    };
    const auto video = dir / "archive.mkv";
    ProcessResult r = runAfterglow(with({"--capture", video.string(), "--crf", "0"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = runAfterglow(with({"--frames", (dir / "frames").string()}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    VideoProbe p = probeVideo(video);
    EXPECT_NE(p.format["format_name"].find("matroska"), std::string::npos) << p.format["format_name"];
    EXPECT_EQ(p.streams[0]["profile"], "High 4:4:4 Predictive");  // lossless H.264
    EXPECT_EQ(p.streams[1]["codec_name"], "aac");

    // Raw RGB: a PNG from ffmpeg would carry the video's gamma, which a
    // PNG reader then converts.
    const auto decoded = dir / "decoded.rgb";
    r = runProcess({onPath("ffmpeg"), "-loglevel", "error", "-i", video.string(), "-frames:v", "1", "-vf",
                    "scale=in_color_matrix=bt709:in_range=tv:flags=accurate_rnd,format=rgb24", "-f", "rawvideo",
                    decoded.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ifstream in(decoded, std::ios::binary);
    const std::vector<char> a((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const RgbImage b = pngImage((dir / "frames" / "frame000000.png").string());
    ASSERT_EQ(a.size(), b.pixels.size());
    double squares = 0.0;
    for (size_t k = 0; k < a.size(); ++k)
        squares += std::pow(double(static_cast<uint8_t>(a[k])) - double(b.pixels[k]), 2.0);
    const double psnr = 10.0 * std::log10(255.0 * 255.0 / (squares / a.size()));
    EXPECT_GT(psnr, 41.5);
}

TEST(Capture, FfmpegFailingOrMissingEndsWithOneAndLeavesNoFile) {
    if (onPath("ffmpeg").empty()) GTEST_SKIP() << kVideoToolsNeeded;
    TempDir dir;
    const auto unknown = dir / "x.unknown";  // ffmpeg knows no container for it and stops reading
    ProcessResult r = runAfterglow({"--capture", unknown.string(), "--fps", "10", "--from", "0", "--to", "1000"});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg failed"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("x.unknown"), std::string::npos) << "ffmpeg's own words, kept for a failure: " << r.err;
    EXPECT_EQ(r.err.find(".afterglow-"), std::string::npos) << "the hidden name means nothing to the user: " << r.err;
    EXPECT_FALSE(std::filesystem::exists(unknown));

    // A folder that is not there is found out before ffmpeg starts.
    const auto unwritable = dir / "missing-folder" / "x.mp4";
    r = runAfterglow({"--capture", unwritable.string(), "--fps", "10", "--from", "0", "--to", "1000"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("x.mp4\": No such file or directory"), std::string::npos) << r.err;

    const auto video = dir / "x.mp4";
    ProcessOptions noFfmpeg;
    noFfmpeg.setEnv = {"PATH=" + (dir / "empty").string()};
    r = runAfterglow({"--capture", video.string(), "--from", "0", "--to", "100"}, noFfmpeg);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg is not installed"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(video));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a temporary file was left behind";
}

struct Interruption {
    int signal;
    int count;
    std::filesystem::path dir;
};

// Once ffmpeg has begun writing the video (its temporary file is not empty
// any more), the signal goes to the program's whole process group, as a
// terminal's Ctrl+C does; a second 50 ms later when asked.
void interruptOnceWriting(int pid, void* data) {
    const Interruption& how = *static_cast<Interruption*>(data);
    auto writing = [&] {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(how.dir, ignored))
            if (entry.file_size(ignored) > 0) return true;
        return false;
    };
    for (int k = 0; k < 12000 && !writing() && !childHasEnded(pid); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(-pid, how.signal);
    if (how.count < 2) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(-pid, how.signal);
}

TEST(Capture, InterruptedByOneOrTwoSignalsLeavesNothingAndSaysNothingOfFfmpeg) {
    if (onPath("ffmpeg").empty()) GTEST_SKIP() << kVideoToolsNeeded;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        for (const int count : {1, 2}) {
            SCOPED_TRACE(std::string(strsignal(signal)) + (count == 2 ? ", twice" : ", once"));
            TempDir dir;
            Interruption how{signal, count, dir.path()};
            ProcessOptions options;
            options.ownProcessGroup = true;
            // The whole show: it is still being drawn when the signal comes.
            const ProcessResult r = runAfterglow({"512", "512", "--capture", (dir / "show.mp4").string()}, options,
                                                 interruptOnceWriting, &how);
            EXPECT_FALSE(r.timedOut);
            EXPECT_EQ(r.exitCode, 128 + signal) << r.err;
            EXPECT_EQ(r.err.find(".afterglow-"), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("rror"), std::string::npos) << r.err;  // ffmpeg's "Error writing trailer"
            if (count == 1) {
                EXPECT_NE(r.err.find("stopped by "), std::string::npos) << r.err;
            }
            // Nothing now, and nothing later from an ffmpeg left running.
            EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << filesIn(dir.path()).front();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << filesIn(dir.path()).front();
        }
    }
}

}  // namespace
