// HandOff: pictures handed to a worker thread that writes them (into
// ffmpeg's pipe, or as PNG files) while the main thread draws the next.
//
//   HandOff writer([&](const std::vector<uint8_t>& pixels, std::string& error) {
//       return sink.take(pixels, error);
//   });
//   while (...) { fill pixels; if (!writer.give(pixels, error)) ... }
//   if (!writer.drain(error)) ...   // the last one written
//
// One picture is in the worker's hands at a time: give() waits for the one
// before, so memory stays at three pictures and a slow writer slows the
// drawing rather than piling frames up. The worker takes no quit signals
// (runtime/platform/quit_signals.h).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HandOff {
public:
    // What the worker does with each picture; false with the reason stops
    // it: later pictures are refused.
    using Write = std::function<bool(const std::vector<uint8_t>& pixels, std::string& error)>;

    explicit HandOff(Write write);
    // Waits for the picture being written, drops one still waiting, ends the
    // worker. drain() first to have every picture written.
    ~HandOff();
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    // Passes pixels on, leaving a spare buffer of an earlier picture in its
    // place (to fill, not to read). False once a write has failed, with its
    // reason.
    bool give(std::vector<uint8_t>& pixels, std::string& error);
    // Waits until every picture given is written; false with the reason.
    bool drain(std::string& error);

private:
    void work();
    // Called with the lock held: the worker's reason, once it has failed.
    bool healthy(std::string& error) const;

    Write write_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint8_t> waiting_;  // given, not yet taken by the worker
    bool full_ = false;
    bool busy_ = false;  // the worker is writing one
    bool ending_ = false;
    std::string failure_;
    std::thread worker_;
};
