// VideoPipe: raw RGB frames written into an ffmpeg child process that muxes
// them with a span of the music into a video file.
//
//   VideoPipe video;
//   if (!video.open(settings, error)) ...          // starts ffmpeg
//   while (...) if (!video.write(rgb, error)) ...  // rgb24, top row first
//   if (!video.close(error)) ...               // waits for ffmpeg
//
// The output file is the caller's: on a failure it is left as ffmpeg left
// it (see OutputFile). SIGPIPE must be
// ignored by the caller (open() does it) so a dead ffmpeg shows as a write
// error rather than ending the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct VideoSettings {
    std::string path;       // the output; its extension picks the container
    int width = 0;
    int height = 0;
    int fps = 60;
    std::string audioPath;  // empty: no sound track
    double fromMs = 0.0;    // the span of the audio to take
    double toMs = 0.0;
};

// The ffmpeg command line for settings (argv[0] is "ffmpeg", found on PATH).
std::vector<std::string> ffmpegArguments(const VideoSettings& settings);

class VideoPipe {
public:
    VideoPipe() = default;
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;
    ~VideoPipe();  // an unfinished video is abandoned: ffmpeg is stopped

    bool open(const VideoSettings& settings, std::string& error);
    bool write(const std::vector<uint8_t>& rgb, std::string& error);
    // Ends the input, waits for ffmpeg and checks its exit status.
    bool close(std::string& error);

private:
    void abandon();
    bool wait(std::string& error);

    int fd_ = -1;
    int pid_ = -1;
};
