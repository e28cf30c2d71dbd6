// VideoPipe: raw frames written into an ffmpeg child process that encodes
// them, with a span of the music, into a video file; and the ffmpeg command
// lines of a capture and of joining the parts of a split one.
//
//   VideoPipe video;
//   if (!video.open(settings, error)) ...            // starts ffmpeg
//   while (...) if (!video.write(pixels, error)) ... // GL's rows, bottom row first
//   if (!video.close(error)) ...                     // waits for ffmpeg
//
// What a video site expects: H.264 High, 4:2:0, converted with the BT.709
// matrix to limited range and tagged so (players assume BT.709 for HD, and
// BT.601 colours shift when read so), AAC at 48 kHz resampled by SoX's
// resampler, and for MP4 the index at the front so playing can start before
// the whole file is fetched. `settings.crf` sets the quality; 0 is lossless.
//
// The output file is the caller's (see OutputFile): on a failure it is left
// as ffmpeg left it. ffmpeg runs as a ChildProcess (its own process group,
// its messages kept unless it fails); destroyed unfinished, the pipe ends it
// by closing its input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform/child_process.h"

// The pixels handed to write(): what glReadPixels gives fastest for the
// render target, 4 bytes a pixel.
constexpr int kVideoBytesPerPixel = 4;

struct VideoSettings {
    std::string path;       // the output; its extension picks the container
    int width = 0;
    int height = 0;
    int fps = 60;
    int crf = 18;           // x264's constant rate factor: 0 lossless, 51 worst
    std::string audioPath;  // empty: no sound track
    double fromMs = 0.0;    // the span of the audio to take
    double toMs = 0.0;
    std::string comment;  // the file's comment tag (a part of a split capture says which)
};

// The ffmpeg command line for raw frames on stdin into settings.path
// (argv[0] is "ffmpeg", found on PATH).
std::vector<std::string> ffmpegArguments(const VideoSettings& settings);

// The ffmpeg command line that joins videos of the same settings, listed
// on its stdin in ffmpeg's concat format (concatList()), into
// settings.path without encoding them again, and adds the span of the
// music of settings once.
std::vector<std::string> joinArguments(const VideoSettings& settings);
std::string concatList(const std::vector<std::string>& absolutePaths);

class VideoPipe {
public:
    bool open(const VideoSettings& settings, std::string& error);
    // width * height * kVideoBytesPerPixel bytes.
    bool write(const std::vector<uint8_t>& pixels, std::string& error);
    // Ends the input, waits for ffmpeg and checks how it ended.
    bool close(std::string& error);

private:
    ChildProcess ffmpeg_;
};
