#include "runtime/offline/shot.h"

#include <cstdio>
#include <string>

#include "gfx/display.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/screenshot.h"
#include "runtime/offline/offline_run.h"
#include "runtime/replay/replay.h"

namespace {

class Shot : public OfflineRun {
public:
    explicit Shot(std::string path) : path_(std::move(path)) {}

    bool drawsIntoWindow() const override { return true; }
    bool showsProgress() const override { return false; }

    bool frame(long long) override {
        drawFrame();
        std::string error;
        if (saveBackBufferPng(path_, displayWidth, displayHeight, error)) return true;
        std::fprintf(stderr, "afterglow: cannot write \"%s\": %s\n", path_.c_str(), error.c_str());
        return false;
    }
    int stopped(long long, const char*) override { return 0; }
    int finish() override { return 0; }

private:
    std::string path_;
};

}  // namespace

int runShot(const Options& options) {
    Shot shot(options.shotPath);
    return runOffline({.fromMs = options.shotMs, .fps = kShotFps, .frames = 1}, shot);
}
