#include "runtime/audio/music_preload.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "runtime/report/startup_report.h"

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Owned by the main thread; the worker writes only result and decodeMs,
// which the main thread reads after the join.
struct Worker {
    std::string path;
    std::thread thread;
    std::atomic<bool> stop{false};
    DecodedMusic result;
    double decodeMs = 0.0;
};

Worker worker;

void stopWorkerAtExit() {
    if (!worker.thread.joinable()) return;
    worker.stop = true;
    worker.thread.join();
}

}  // namespace

void beginMusicDecode(const std::string& path) {
    if (worker.thread.joinable()) return;
    static const bool handlerSet = std::atexit(stopWorkerAtExit) == 0;
    if (!handlerSet) return;  // no safe way out for a worker: decode later instead
    worker.path = path;
    worker.stop = false;
    try {
        worker.thread = std::thread([] {
            const Clock::time_point start = Clock::now();
            worker.result = decodeMp3(worker.path, &worker.stop);
            worker.decodeMs = msBetween(start, Clock::now());
        });
    } catch (const std::system_error&) {
        // No thread to be had: the music start decodes the file itself.
    }
}

DecodedMusic takeDecodedMusic(const std::string& path) {
    if (!worker.thread.joinable() || worker.path != path) return decodeMp3(path);
    const Clock::time_point start = Clock::now();
    worker.thread.join();
    noteMusicDecode(worker.decodeMs, msBetween(start, Clock::now()));
    return std::move(worker.result);
}
