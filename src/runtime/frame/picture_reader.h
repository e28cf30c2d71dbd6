// PictureReader: the pictures of a capture read back one frame late, so the
// driver copies frame i out while frame i + 1 is being drawn.
//
//   PictureReader reader(displayWidth, displayHeight);
//   for each frame: drawFrame(); reader.start();
//                   if (reader.pending() > 1) reader.take(pixels);  // the frame before
//   at the end:     while (reader.pending()) reader.take(pixels);
//
// With pixel buffer objects (GL 2.1, or ARB_pixel_buffer_object on 2.0)
// start() only queues the copy into one of two buffers and returns; take()
// waits for the oldest. Without them start() reads at once. Either way the
// pixels are the same bytes readPictureRgba() gives (runtime/frame/screenshot.h):
// GL rows, RGBA, bottom row first.
#pragma once

#include <cstdint>
#include <vector>

class PictureReader {
public:
    PictureReader(int width, int height);
    ~PictureReader();
    PictureReader(const PictureReader&) = delete;
    PictureReader& operator=(const PictureReader&) = delete;

    // Starts reading the picture just drawn. At most two are pending: take
    // one first. Leaves the window target bound.
    void start();
    // Pictures started and not yet taken.
    int pending() const { return static_cast<int>(started_ - taken_); }
    // The oldest pending picture, into pixels (resized to fit). False when
    // none is pending or the driver could not hand it over.
    bool take(std::vector<uint8_t>& pixels);

private:
    static constexpr int kBuffers = 2;

    int width_;
    int height_;
    bool buffered_ = false;  // pixel buffer objects
    unsigned int buffers_[kBuffers] = {};
    std::vector<uint8_t> read_[kBuffers];  // without them: read at once, kept here
    long long started_ = 0;
    long long taken_ = 0;
};
