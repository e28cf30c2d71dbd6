#include "runtime/capture.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "gfx/gl_extensions.h"
#include "runtime/frame_loop.h"
#include "runtime/music.h"
#include "runtime/screenshot.h"
#include "runtime/timeline.h"

namespace {

using Clock = std::chrono::steady_clock;

// One line on stderr, rewritten in place: frames done, speed, time left.
class Progress {
public:
    explicit Progress(long long total) : total_(total), start_(Clock::now()) {}

    void show(long long done) {
        const auto now = Clock::now();
        // A terminal cannot keep up with hundreds of lines a second.
        if (done < total_ && now - lastShown_ < std::chrono::milliseconds(250)) return;
        lastShown_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double fps = seconds > 0.0 ? done / seconds : 0.0;
        const double left = fps > 0.0 ? (total_ - done) / fps : 0.0;
        std::fprintf(stderr, "\rafterglow: frame %lld/%lld  %.1f fps  %.0f s left   ", done, total_, fps, left);
        if (done == total_) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    long long total_;
    Clock::time_point start_;
    Clock::time_point lastShown_{};
};

bool writeNumberedPng(const std::filesystem::path& dir, long long index, int width, int height,
                      const std::vector<uint8_t>& rgb, std::string& error) {
    char name[32];
    std::snprintf(name, sizeof name, "frame%06lld.png", index);
    const std::string path = (dir / name).string();
    if (writePngRgb(path, width, height, rgb, error)) return true;
    error = "cannot write \"" + path + "\": " + error;
    return false;
}

}  // namespace

int leadInFrames(double ms, double fps) {
    const double sceneStart = sceneStartMs[sceneIndexAt(static_cast<float>(ms))];
    const double frameMs = 1000.0 / fps;
    const int frames = static_cast<int>(std::ceil((ms - sceneStart) / frameMs - 1e-9)) - 1;
    return frames > 0 ? frames : 0;
}

long long captureFrameCount(double fromMs, double toMs, int fps) {
    const long long frames = std::llround((toMs - fromMs) * fps / 1000.0);
    return frames > 0 ? frames : 1;
}

int runCapture(const Options& options) {
    const int width = displayWidth;
    const int height = displayHeight;
    std::string error;
    if (!createOffscreenWindowTarget(width, height, error)) {
        std::fprintf(stderr, "afterglow: %s\n", error.c_str());
        return 1;
    }
    unbindFBO();

    const std::filesystem::path dir = options.capturePath;
    std::error_code fsError;
    std::filesystem::create_directories(dir, fsError);
    if (fsError) {
        std::fprintf(stderr, "afterglow: cannot make the folder \"%s\": %s\n", dir.c_str(),
                     fsError.message().c_str());
        return 1;
    }

    // Like a shot, the span starts from the start of its scene so the
    // scenes' state is what it would be when playing.
    const double fps = options.captureFps;
    const int lead = leadInFrames(options.fromMs, fps);
    MusicConfig music;
    music.mode = ClockMode::Offline;
    music.offlineFps = fps;
    music.startMs = options.fromMs - lead * (1000.0 / fps);
    startMusic(music);
    for (int i = 0; i < lead; ++i) stepFrame();

    const long long total = captureFrameCount(options.fromMs, options.toMs, options.captureFps);
    Progress progress(total);
    std::vector<uint8_t> rgb;
    for (long long i = 0; i < total; ++i) {
        drawFrame();
        readPictureRgb(width, height, rgb);
        if (!writeNumberedPng(dir, i, width, height, rgb, error)) {
            std::fprintf(stderr, "\nafterglow: %s\n", error.c_str());
            return 1;
        }
        progress.show(i + 1);
    }
    return 0;
}
