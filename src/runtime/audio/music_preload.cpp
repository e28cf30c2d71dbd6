#include "runtime/audio/music_preload.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

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

// Owned by the main thread; the worker writes result and decodeMs, which the
// main thread reads after the join, and progress and done, which it reads
// while the worker runs.
struct Worker {
    std::string path;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    DecodeProgress progress;
    DecodedMusic result;
    Clock::time_point started;
    double decodeMs = 0.0;
    bool told = false;  // the start-up report has its numbers
};

Worker worker;

void stopWorkerAtExit() {
    if (!worker.thread.joinable()) return;
    worker.stop = true;
    worker.thread.join();
}

// The decode is the start-up's largest piece of work, yet the first frame
// needs only its first seconds: behind the main thread's loading, which
// does need a core, rather than beside it.
void yieldToTheMainThread() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
}

}  // namespace

void beginMusicDecode(const std::string& path) {
    if (worker.thread.joinable()) return;
    static const bool handlerSet = std::atexit(stopWorkerAtExit) == 0;
    if (!handlerSet) return;  // no safe way out for a worker: decode later instead
    worker.path = path;
    worker.stop = false;
    worker.done = false;
    worker.told = false;
    worker.started = Clock::now();
    try {
        worker.thread = std::thread([] {
            yieldToTheMainThread();
            worker.result = decodeMp3(worker.path, &worker.stop, &worker.progress);
            worker.decodeMs = msBetween(worker.started, Clock::now());
            worker.done.store(true, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the music start decodes the file itself.
    }
}

bool musicDecoding(const std::string& path) { return worker.thread.joinable() && worker.path == path; }

MusicSoFar musicSoFar() {
    MusicSoFar so;
    so.complete = worker.done.load(std::memory_order_acquire);
    so.frames = worker.progress.frames.load(std::memory_order_acquire);
    so.samples = worker.progress.base.load(std::memory_order_acquire);
    so.sampleRate = worker.progress.sampleRate.load();
    return so;
}

MusicSoFar waitForMusic(double ms) {
    const Clock::time_point start = Clock::now();
    MusicSoFar so = musicSoFar();
    // A decode that publishes nothing, or stops publishing short of ms, is
    // waited for whole.
    while (!so.complete && !(so.samples && so.frames >= static_cast<long long>(ms * so.sampleRate / 1000.0))) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        so = musicSoFar();
    }
    if (!so.complete && so.samples) {
        noteMusicDecode(msBetween(worker.started, Clock::now()), msBetween(start, Clock::now()), true);
        worker.told = true;
    }
    return so;
}

DecodedMusic takeDecodedMusic(const std::string& path) {
    if (!worker.thread.joinable() || worker.path != path) return decodeMp3(path);
    const Clock::time_point start = Clock::now();
    worker.thread.join();
    if (!worker.told) noteMusicDecode(worker.decodeMs, msBetween(start, Clock::now()), false);
    return std::move(worker.result);
}

void releaseMusicSoFar() {
    worker.progress.base.store(nullptr);
    worker.progress.frames.store(0);
    worker.progress.outgrown = FloatBuffer();
}
