#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "runtime/offline/hand_off.h"

namespace {

std::vector<uint8_t> picture(uint8_t value) { return std::vector<uint8_t>(1000, value); }

TEST(HandOff, WritesEveryPictureInOrderWhileTheNextIsFilled) {
    std::vector<uint8_t> written;
    {
        HandOff writer([&](const std::vector<uint8_t>& pixels, std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));  // slower than the filling
            written.push_back(pixels.front());
            return true;
        });
        std::vector<uint8_t> pixels;
        std::string error;
        for (uint8_t n = 0; n < 20; ++n) {
            pixels.assign(1000, n);  // the spare that came back is filled again
            ASSERT_TRUE(writer.give(pixels, error)) << error;
        }
        ASSERT_TRUE(writer.drain(error)) << error;
    }
    std::vector<uint8_t> expected;
    for (uint8_t n = 0; n < 20; ++n) expected.push_back(n);
    EXPECT_EQ(written, expected);
}

TEST(HandOff, AFailedWriteRefusesTheRestWithItsReason) {
    std::atomic<int> calls = 0;
    HandOff writer([&](const std::vector<uint8_t>&, std::string& error) {
        if (++calls < 3) return true;
        error = "disk full";
        return false;
    });
    std::string error;
    bool refused = false;
    for (int n = 0; n < 10 && !refused; ++n) {
        std::vector<uint8_t> pixels = picture(1);
        refused = !writer.give(pixels, error);
    }
    if (!refused) {
        EXPECT_FALSE(writer.drain(error));
    }
    EXPECT_EQ(error, "disk full");
    EXPECT_EQ(calls, 3) << "nothing written after the failure";
}

TEST(HandOff, EndingEarlyDropsThePictureStillWaiting) {
    std::atomic<int> calls = 0;
    std::atomic<bool> release = false;
    std::thread releaser;
    {
        HandOff writer([&](const std::vector<uint8_t>&, std::string&) {
            ++calls;
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return true;
        });
        std::string error;
        std::vector<uint8_t> first = picture(1), second = picture(2);
        ASSERT_TRUE(writer.give(first, error));
        while (calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(writer.give(second, error));  // the worker holds the first; this one waits
        // The first is let go only once the run has ended (the destructor,
        // below, marks the second dropped at once and then waits).
        releaser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            release = true;
        });
    }
    releaser.join();
    EXPECT_EQ(calls, 1);
}

}  // namespace
