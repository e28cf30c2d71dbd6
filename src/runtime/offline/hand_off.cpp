#include "runtime/offline/hand_off.h"

#include "runtime/platform/quit_signals.h"

HandOff::HandOff(Write write) : write_(std::move(write)), worker_([this] { work(); }) {}

HandOff::~HandOff() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        full_ = false;  // a run that ends early throws its last picture away
    }
    changed_.notify_all();
    worker_.join();
}

bool HandOff::give(std::vector<uint8_t>& pixels, std::string& error) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !full_ || !failure_.empty(); });
    if (!healthy(error)) return false;
    waiting_.swap(pixels);
    full_ = true;
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool HandOff::drain(std::string& error) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (!full_ && !busy_) || !failure_.empty(); });
    return healthy(error);
}

bool HandOff::healthy(std::string& error) const {
    if (failure_.empty()) return true;
    error = failure_;
    return false;
}

void HandOff::work() {
    blockQuitSignalsInThisThread();
    std::vector<uint8_t> pixels;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return full_ || ending_; });
        if (!full_) return;  // ending, with nothing left to write
        pixels.swap(waiting_);
        full_ = false;
        busy_ = true;
        lock.unlock();
        changed_.notify_all();
        std::string error;
        const bool written = write_(pixels, error);
        lock.lock();
        busy_ = false;
        if (!written) {
            failure_ = error;
            changed_.notify_all();
            return;
        }
        changed_.notify_all();
    }
}
