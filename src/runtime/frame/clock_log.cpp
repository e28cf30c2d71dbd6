#include "runtime/frame/clock_log.h"

#include <time.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "runtime/audio/music.h"
#include "runtime/timeline/clock.h"

namespace {

// The clock the sound recorder stamps its blocks with: both sides of the
// measurement must read the same one.
int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct PendingFrame {
    bool read = false;
    int64_t readNs = 0;
    long long audioFrames = 0;
};

FILE* logFile = nullptr;
PendingFrame pending;

}  // namespace

bool openClockLog(const std::string& path, std::string& error) {
    logFile = std::fopen(path.c_str(), "w");
    if (!logFile) {
        error = "cannot write the clock log \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    // Each line as it is done, for whoever follows the file while the show
    // plays: one short write a frame.
    std::setvbuf(logFile, nullptr, _IOLBF, 0);
    std::fputs("read_ns\tmusic_ms\tdelta_ms\taudio_frames\tshown_ns\n", logFile);
    return true;
}

void noteClockRead() {
    if (!logFile) return;
    pending = {.read = true, .readNs = monotonicNs(), .audioFrames = musicFramesHanded()};
}

void noteFrameShown() {
    if (!logFile || !pending.read) return;
    std::fprintf(logFile, "%" PRId64 "\t%.3f\t%.3f\t%lld\t%" PRId64 "\n", pending.readNs,
                 static_cast<double>(musicTimeMs), static_cast<double>(frameDeltaMs), pending.audioFrames,
                 monotonicNs());
    pending.read = false;
}
