#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/offline/video_pipe.h"

namespace {

// The value after flag, searching from the n-th occurrence.
std::string after(const std::vector<std::string>& args, const std::string& flag, int n = 0) {
    auto at = args.begin();
    for (int i = 0; i <= n; ++i) {
        at = std::find(i ? at + 1 : at, args.end(), flag);
        if (at == args.end()) return {};
    }
    return at + 1 == args.end() ? std::string() : *(at + 1);
}

TEST(VideoPipe, FfmpegTakesRawFramesAndTheMatchingSpanOfMusic) {
    VideoSettings settings;
    settings.path = "out.mp4";
    settings.width = 800;
    settings.height = 600;
    settings.fps = 25;
    settings.audioPath = "demo.mp3";
    settings.fromMs = 40000;
    settings.toMs = 42500;
    auto args = ffmpegArguments(settings);
    EXPECT_EQ(args.front(), "ffmpeg");
    EXPECT_EQ(args.back(), "out.mp4");
    EXPECT_EQ(after(args, "-s"), "800x600");
    EXPECT_EQ(after(args, "-r"), "25");
    EXPECT_EQ(after(args, "-i"), "-");
    EXPECT_EQ(after(args, "-i", 1), "demo.mp3");
    EXPECT_EQ(after(args, "-ss"), "40.000");
    EXPECT_EQ(after(args, "-t"), "2.500");
    EXPECT_EQ(after(args, "-c:v"), "libx264");
    EXPECT_EQ(after(args, "-pix_fmt", 1), "yuv420p");
    EXPECT_EQ(after(args, "-c:a"), "aac");

    // Other containers get ffmpeg's own codecs; no music, no audio input.
    settings.path = "out.webm";
    settings.audioPath.clear();
    args = ffmpegArguments(settings);
    EXPECT_EQ(after(args, "-c:v"), "");
    EXPECT_EQ(after(args, "-i", 1), "");
    EXPECT_EQ(after(args, "-ss"), "");
}

}  // namespace
