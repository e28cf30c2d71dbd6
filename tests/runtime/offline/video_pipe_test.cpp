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

bool has(const std::vector<std::string>& args, const std::string& word) {
    return std::find(args.begin(), args.end(), word) != args.end();
}

VideoSettings spanOfMusic(const std::string& path) {
    VideoSettings settings;
    settings.path = path;
    settings.width = 800;
    settings.height = 600;
    settings.fps = 25;
    settings.crf = 16;
    settings.audioPath = "demo.mp3";
    settings.fromMs = 40000;
    settings.toMs = 42500;
    return settings;
}

TEST(VideoPipe, FfmpegMakesWhatAVideoSiteExpects) {
    auto args = ffmpegArguments(spanOfMusic("out.mp4"));
    EXPECT_EQ(args.front(), "ffmpeg");
    EXPECT_EQ(args.back(), "out.mp4");
    // GL's rows, RGBA, bottom row first.
    EXPECT_EQ(after(args, "-pix_fmt"), "rgba");
    EXPECT_EQ(after(args, "-s"), "800x600");
    EXPECT_EQ(after(args, "-r"), "25");
    EXPECT_EQ(after(args, "-i"), "-");
    EXPECT_EQ(after(args, "-i", 1), "demo.mp3");
    EXPECT_EQ(after(args, "-ss"), "40.000");
    EXPECT_EQ(after(args, "-t"), "2.500");
    EXPECT_EQ(after(args, "-vf"), "vflip,scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd,format=yuv420p");
    EXPECT_EQ(after(args, "-c:v"), "libx264");
    EXPECT_EQ(after(args, "-crf"), "16");
    EXPECT_EQ(after(args, "-profile:v"), "high");
    for (const char* tag : {"-colorspace", "-color_primaries", "-color_trc"}) EXPECT_EQ(after(args, tag), "bt709");
    EXPECT_EQ(after(args, "-color_range"), "tv");
    EXPECT_EQ(after(args, "-c:a"), "aac");
    EXPECT_EQ(after(args, "-ar"), "48000");
    EXPECT_EQ(after(args, "-af"), "aresample=resampler=soxr:precision=28");
    EXPECT_EQ(after(args, "-movflags"), "+faststart");
    // Nothing on the terminal unless it fails (it runs as a ChildProcess).
    EXPECT_EQ(after(args, "-loglevel"), "error");
    EXPECT_TRUE(has(args, "-nostats"));

    // Matroska has its index where it belongs already; lossless is outside
    // the High profile.
    VideoSettings archive = spanOfMusic("out.mkv");
    archive.crf = 0;
    args = ffmpegArguments(archive);
    EXPECT_EQ(after(args, "-movflags"), "");
    EXPECT_EQ(after(args, "-profile:v"), "");
    EXPECT_EQ(after(args, "-crf"), "0");
    EXPECT_EQ(after(args, "-c:a"), "aac");

    // Other containers get ffmpeg's own codecs; no music, no audio input.
    VideoSettings other = spanOfMusic("out.webm");
    other.audioPath.clear();
    args = ffmpegArguments(other);
    EXPECT_EQ(after(args, "-c:v"), "");
    EXPECT_EQ(after(args, "-vf"), "vflip");
    EXPECT_EQ(after(args, "-i", 1), "");
    EXPECT_EQ(after(args, "-ss"), "");
    EXPECT_EQ(after(args, "-ar"), "");
}

TEST(VideoPipe, AJoinCopiesThePicturesAndAddsTheMusicAsACaptureDoes) {
    VideoSettings settings = spanOfMusic("joined.mp4");
    const auto join = joinArguments(settings);
    const auto capture = ffmpegArguments(settings);
    EXPECT_EQ(after(join, "-f"), "concat");
    EXPECT_EQ(after(join, "-i"), "-");
    EXPECT_EQ(after(join, "-c:v"), "copy");
    EXPECT_EQ(after(join, "-map_metadata"), "-1") << "the parts' labels stay out of the whole";
    for (const char* flag : {"-ss", "-t", "-c:a", "-b:a", "-ar", "-af", "-movflags"})
        EXPECT_EQ(after(join, flag), after(capture, flag)) << flag;
    EXPECT_EQ(after(join, "-i", 1), "demo.mp3");
    EXPECT_EQ(join.back(), "joined.mp4");

    EXPECT_EQ(concatList({"/v/part 1.mp4", "/v/it's.mp4"}), "file 'file:/v/part 1.mp4'\nfile 'file:/v/it'\\''s.mp4'\n");
}

TEST(VideoPipe, APartCarriesItsLabel) {
    VideoSettings part = spanOfMusic("p.mp4");
    part.comment = "afterglow part 1/2: ...";
    EXPECT_EQ(after(ffmpegArguments(part), "-metadata"), "comment=afterglow part 1/2: ...");
}

}  // namespace
