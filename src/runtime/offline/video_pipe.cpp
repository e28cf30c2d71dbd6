#include "runtime/offline/video_pipe.h"

#include <cstdio>
#include <filesystem>

namespace {

std::string seconds(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms / 1000.0);
    return text;
}

std::string extensionOf(const std::string& path) { return std::filesystem::path(path).extension().string(); }

// Containers that take H.264 and AAC; any other extension gets ffmpeg's own
// choice of codecs for it.
bool takesH264(const std::string& path) {
    const std::string ext = extensionOf(path);
    return ext == ".mp4" || ext == ".m4v" || ext == ".mov" || ext == ".mkv";
}

// The ISO family, whose index (moov) ffmpeg writes last unless told to
// move it to the front.
bool isIsoMedia(const std::string& path) {
    const std::string ext = extensionOf(path);
    return ext == ".mp4" || ext == ".m4v" || ext == ".mov";
}

using Arguments = std::vector<std::string>;

void append(Arguments& args, std::initializer_list<std::string> more) { args.insert(args.end(), more); }

Arguments commonStart() { return {"ffmpeg", "-hide_banner", "-nostats", "-loglevel", "error", "-y"}; }

// The span of the music as the second input: the same for a capture and a
// join, so a joined video sounds as the capture in one piece would.
void appendMusicInput(Arguments& args, const VideoSettings& settings) {
    if (settings.audioPath.empty()) return;
    append(args, {"-ss", seconds(settings.fromMs), "-t", seconds(settings.toMs - settings.fromMs), "-i",
                  settings.audioPath, "-map", "0:v", "-map", "1:a"});
}

void appendMusicCodec(Arguments& args, const VideoSettings& settings) {
    if (settings.audioPath.empty()) return;
    // demo.mp3 is 44.1 kHz; video is 48 kHz, and SoX's resampler at 28 bits
    // keeps the change below anything audible.
    append(args, {"-af", "aresample=resampler=soxr:precision=28", "-ar", "48000"});
    if (takesH264(settings.path)) append(args, {"-c:a", "aac", "-b:a", "256k"});
}

void appendContainer(Arguments& args, const VideoSettings& settings) {
    if (isIsoMedia(settings.path)) append(args, {"-movflags", "+faststart"});
    if (!settings.comment.empty()) append(args, {"-metadata", "comment=" + settings.comment});
    args.push_back(settings.path);
}

// ffmpeg's concat list quotes a name in '...', with ' itself written '\''.
std::string quotedForConcat(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::vector<std::string> ffmpegArguments(const VideoSettings& settings) {
    Arguments args = commonStart();
    append(args, {"-f", "rawvideo", "-pix_fmt", "rgba", "-s",
                  std::to_string(settings.width) + "x" + std::to_string(settings.height), "-r",
                  std::to_string(settings.fps), "-i", "-"});
    appendMusicInput(args, settings);
    // GL hands the rows over bottom row first; vflip only points ffmpeg at
    // them the other way round, it copies nothing.
    std::string filters = "vflip";
    if (takesH264(settings.path)) {
        filters += ",scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd,format=yuv420p";
        append(args, {"-vf", filters, "-c:v", "libx264", "-crf", std::to_string(settings.crf)});
        // Lossless coding is outside the High profile (x264 then writes
        // High 4:4:4 Predictive, which every decoder of the other reads).
        if (settings.crf > 0) append(args, {"-profile:v", "high"});
        append(args,
               {"-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv"});
    } else {
        append(args, {"-vf", filters});
    }
    appendMusicCodec(args, settings);
    appendContainer(args, settings);
    return args;
}

std::vector<std::string> joinArguments(const VideoSettings& settings) {
    Arguments args = commonStart();
    append(args, {"-f", "concat", "-safe", "0", "-protocol_whitelist", "file,pipe", "-i", "-"});
    appendMusicInput(args, settings);
    // The parts' own comments say "part K of N": not the joined video's.
    append(args, {"-map_metadata", "-1", "-c:v", "copy"});
    appendMusicCodec(args, settings);
    appendContainer(args, settings);
    return args;
}

std::string concatList(const std::vector<std::string>& absolutePaths) {
    std::string list;
    // "file:" keeps a name from reading as another protocol, and from being
    // taken relative to the list, which is a pipe here.
    for (const std::string& path : absolutePaths) list += "file " + quotedForConcat("file:" + path) + "\n";
    return list;
}

bool VideoPipe::open(const VideoSettings& settings, std::string& error) {
    return ffmpeg_.start(ffmpegArguments(settings), ChildProcess::kPipedInput, error);
}

bool VideoPipe::write(const std::vector<uint8_t>& pixels, std::string& error) {
    return ffmpeg_.write(pixels.data(), pixels.size(), error);
}

bool VideoPipe::close(std::string& error) { return ffmpeg_.wait(error); }
