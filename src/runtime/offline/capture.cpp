#include "runtime/offline/capture.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "gfx/display.h"
#include "gfx/gl_extensions.h"
#include "runtime/audio/music.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/screenshot.h"
#include "runtime/offline/offline_run.h"
#include "runtime/offline/video_pipe.h"
#include "runtime/platform/output_file.h"
#include "runtime/replay/replay.h"

namespace {

// Where the pictures go: numbered PNG files or an ffmpeg pipe.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual bool take(const std::vector<uint8_t>& rgb, std::string& error) = 0;
    virtual bool finish(std::string&) { return true; }
};

class PngFiles : public FrameSink {
public:
    PngFiles(std::filesystem::path dir, int width, int height) : dir_(std::move(dir)), width_(width), height_(height) {}

    bool begin(std::string& error) {
        std::error_code fsError;
        std::filesystem::create_directories(dir_, fsError);
        if (!fsError) return true;
        error = "cannot make the folder \"" + dir_.string() + "\": " + fsError.message();
        return false;
    }

    bool take(const std::vector<uint8_t>& rgb, std::string& error) override {
        char name[32];
        std::snprintf(name, sizeof name, "frame%06lld.png", next_++);
        const std::string path = (dir_ / name).string();
        if (writePngRgb(path, width_, height_, rgb, error)) return true;
        error = "cannot write \"" + path + "\": " + error;
        return false;
    }

private:
    std::filesystem::path dir_;
    int width_;
    int height_;
    long long next_ = 0;
};

// ffmpeg writes a temporary file that takes the target's place only once
// the video is complete; destroyed before that, the pipe stops ffmpeg and
// then the temporary file goes.
class VideoFile : public FrameSink {
public:
    explicit VideoFile(const std::string& target) : target_(target), out_(target) {}

    bool begin(VideoSettings settings, std::string& error) {
        if (!out_.begin(error)) return named(error);
        settings.path = out_.path();
        return video_.open(settings, error) || named(error);
    }
    bool take(const std::vector<uint8_t>& rgb, std::string& error) override {
        return video_.write(rgb, error) || named(error);
    }
    bool finish(std::string& error) override { return (video_.close(error) && out_.commit(error)) || named(error); }

private:
    // ffmpeg's own lines name the temporary file; ours names the target.
    bool named(std::string& error) const {
        error = "cannot write \"" + target_ + "\": " + error;
        return false;
    }

    std::string target_;
    OutputFile out_;
    VideoPipe video_;
};

std::unique_ptr<FrameSink> openSink(const Options& options, int width, int height, std::string& error) {
    if (options.capture == Options::Capture::Frames) {
        auto files = std::make_unique<PngFiles>(options.capturePath, width, height);
        if (!files->begin(error)) return nullptr;
        return files;
    }
    VideoSettings settings;
    settings.path = options.capturePath;
    settings.width = width;
    settings.height = height;
    settings.fps = options.offlineFps;
    settings.fromMs = options.fromMs;
    settings.toMs = options.toMs;
    settings.audioPath = MusicConfig{}.path;
    if (!std::filesystem::exists(settings.audioPath)) {
        std::fprintf(stderr, "afterglow: \"%s\" is missing; the video has no sound\n", settings.audioPath.c_str());
        settings.audioPath.clear();
    }
    auto video = std::make_unique<VideoFile>(settings.path);
    if (!video->begin(settings, error)) return nullptr;
    return video;
}

// Every frame read back from the off-screen picture and handed to the sink.
class Capture : public OfflineRun {
public:
    Capture(FrameSink& sink, int width, int height, long long total, bool video)
        : sink_(sink), width_(width), height_(height), total_(total), video_(video) {}

    bool drawsIntoWindow() const override { return false; }

    bool frame(long long) override {
        drawFrame();
        readPictureRgb(width_, height_, rgb_);
        std::string error;
        if (sink_.take(rgb_, error)) return true;
        std::fprintf(stderr, "\nafterglow: %s\n", error.c_str());
        return false;
    }
    int stopped(long long done, const char* cause) override {
        std::fprintf(stderr, "\nafterglow: stopped by %s after %lld of %lld frames%s\n", cause, done, total_,
                     video_ ? "; the unfinished video is removed" : "");
        return 1;  // the sink's destructor abandons an unfinished video
    }
    int finish() override {
        std::string error;
        if (sink_.finish(error)) return 0;
        std::fprintf(stderr, "afterglow: %s\n", error.c_str());
        return 1;
    }

private:
    FrameSink& sink_;
    int width_;
    int height_;
    long long total_;
    bool video_;
    std::vector<uint8_t> rgb_;
};

}  // namespace

int runCapture(const Options& options) {
    const int width = displayWidth;
    const int height = displayHeight;
    std::string error;
    // Without a window it is off-screen at this size already.
    if (!windowTargetIsOffscreen() && !createOffscreenWindowTarget(width, height, error)) {
        std::fprintf(stderr, "afterglow: %s\n", error.c_str());
        return 1;
    }
    unbindFBO();
    const std::unique_ptr<FrameSink> sink = openSink(options, width, height, error);
    if (!sink) {
        std::fprintf(stderr, "afterglow: %s\n", error.c_str());
        return 1;
    }
    // Like a shot, the span starts from the start of its scene so the
    // scenes' state is what it would be when playing.
    const long long total = spanFrameCount(options.fromMs, options.toMs, options.offlineFps);
    Capture capture(*sink, width, height, total, options.capture == Options::Capture::Video);
    return runOffline({.fromMs = options.fromMs, .fps = static_cast<double>(options.offlineFps), .frames = total},
                      capture);
}
