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
#include "runtime/frame/picture_reader.h"
#include "runtime/frame/screenshot.h"
#include "runtime/offline/hand_off.h"
#include "runtime/offline/offline_run.h"
#include "runtime/offline/parts.h"
#include "runtime/offline/video_pipe.h"
#include "runtime/platform/output_file.h"
#include "runtime/replay/replay.h"

namespace {

// Where the pictures go: numbered PNG files or an ffmpeg pipe. take() runs
// on the hand-off's worker thread, with GL rows (runtime/frame/screenshot.h).
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual bool take(const std::vector<uint8_t>& pixels, std::string& error) = 0;
    virtual bool finish(std::string&) { return true; }
};

class PngFiles : public FrameSink {
public:
    // first: the number of the first file, the run's frame number (a part
    // of a split capture starts later).
    PngFiles(std::filesystem::path dir, int width, int height, long long first)
        : dir_(std::move(dir)), width_(width), height_(height), next_(first) {}

    bool begin(std::string& error) {
        std::error_code fsError;
        std::filesystem::create_directories(dir_, fsError);
        if (!fsError) return true;
        error = "cannot make the folder \"" + dir_.string() + "\": " + fsError.message();
        return false;
    }

    bool take(const std::vector<uint8_t>& pixels, std::string& error) override {
        char name[32];
        std::snprintf(name, sizeof name, "frame%06lld.png", next_++);
        const std::string path = (dir_ / name).string();
        if (writePngFromGlRows(path, width_, height_, pixels, error)) return true;
        error = "cannot write \"" + path + "\": " + error;
        return false;
    }

private:
    std::filesystem::path dir_;
    int width_;
    int height_;
    long long next_;
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
    bool take(const std::vector<uint8_t>& pixels, std::string& error) override {
        return video_.write(pixels, error) || named(error);
    }
    bool finish(std::string& error) override { return (video_.close(error) && out_.commit(error)) || named(error); }

private:
    // Ours names the target, and so do ffmpeg's own lines once the hidden
    // temporary name in them is replaced by it.
    bool named(std::string& error) const {
        error = "cannot write \"" + target_ + "\": " + out_.targetNamed(error);
        return false;
    }

    std::string target_;
    OutputFile out_;
    VideoPipe video_;
};

VideoSettings videoSettings(const Options& options, int width, int height, long long totalFrames, PartSlice slice) {
    VideoSettings settings;
    settings.path = options.capturePath;
    settings.width = width;
    settings.height = height;
    settings.fps = options.offlineFps;
    settings.crf = options.crf;
    settings.fromMs = options.fromMs;
    settings.toMs = options.toMs;
    if (options.partCount) {
        // The join adds the music once, to the whole.
        settings.comment = partComment({.index = options.partIndex,
                                        .count = options.partCount,
                                        .frames = slice,
                                        .totalFrames = totalFrames,
                                        .width = width,
                                        .height = height,
                                        .fps = options.offlineFps,
                                        .crf = options.crf,
                                        .fromMs = static_cast<long long>(options.fromMs),
                                        .toMs = static_cast<long long>(options.toMs)});
        return settings;
    }
    settings.audioPath = MusicConfig{}.path;
    if (!std::filesystem::exists(settings.audioPath)) {
        std::fprintf(stderr, "afterglow: \"%s\" is missing; the video has no sound\n", settings.audioPath.c_str());
        settings.audioPath.clear();
    }
    return settings;
}

std::unique_ptr<FrameSink> openSink(const Options& options, int width, int height, long long totalFrames,
                                    PartSlice slice, std::string& error) {
    if (options.capture == Options::Capture::Frames) {
        auto files = std::make_unique<PngFiles>(options.capturePath, width, height, slice.first);
        if (!files->begin(error)) return nullptr;
        return files;
    }
    auto video = std::make_unique<VideoFile>(options.capturePath);
    if (!video->begin(videoSettings(options, width, height, totalFrames, slice), error)) return nullptr;
    return video;
}

// Every frame read back from the off-screen picture and handed to the
// sink. The reading and the writing overlap the drawing: frame i is read
// back while frame i + 1 is drawn, and written (encoded by ffmpeg, or
// compressed as PNG) on the hand-off's thread while frame i + 2 is drawn.
class Capture : public OfflineRun {
public:
    Capture(FrameSink& sink, int width, int height, long long total, bool video)
        : sink_(sink),
          reader_(width, height),
          writer_([&sink](const std::vector<uint8_t>& pixels, std::string& error) { return sink.take(pixels, error); }),
          total_(total),
          video_(video) {}

    bool drawsIntoWindow() const override { return false; }

    bool frame(long long) override {
        drawFrame();
        reader_.start();
        return reader_.pending() < 2 || passOn();
    }
    int stopped(long long done, const char* cause) override {
        endProgressLine();
        std::fprintf(stderr, "afterglow: stopped by %s after %lld of %lld frames%s\n", cause, done, total_,
                     video_ ? "; the unfinished video is removed" : "");
        return 1;  // the sink's destructor abandons an unfinished video
    }
    int finish() override {
        while (reader_.pending() > 0)
            if (!passOn()) return 1;
        std::string error;
        if (writer_.drain(error) && sink_.finish(error)) return 0;
        std::fprintf(stderr, "afterglow: %s\n", error.c_str());
        return 1;
    }

private:
    // The oldest picture read back goes to the writer.
    bool passOn() {
        std::string error = "cannot read the picture back from the GL driver";
        if (reader_.take(pixels_) && writer_.give(pixels_, error)) return true;
        endProgressLine();
        std::fprintf(stderr, "afterglow: %s\n", error.c_str());
        return false;
    }

    FrameSink& sink_;
    PictureReader reader_;
    HandOff writer_;
    long long total_;
    bool video_;
    std::vector<uint8_t> pixels_;
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
    // Like a shot, the span starts from the start of its scene so the
    // scenes' state is what it would be when playing.
    const long long total = spanFrameCount(options.fromMs, options.toMs, options.offlineFps);
    const PartSlice slice =
        options.partCount ? partSlice(total, options.partIndex, options.partCount) : PartSlice{0, total};
    const std::unique_ptr<FrameSink> sink = openSink(options, width, height, total, slice, error);
    if (!sink) {
        std::fprintf(stderr, "afterglow: %s\n", error.c_str());
        return 1;
    }
    const long long frames = slice.end - slice.first;
    Capture capture(*sink, width, height, frames, options.capture == Options::Capture::Video);
    return runOffline({.fromMs = options.fromMs,
                       .fps = static_cast<double>(options.offlineFps),
                       .frames = frames,
                       .skipped = slice.first},
                      capture);
}
