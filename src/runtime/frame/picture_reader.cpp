#include "runtime/frame/picture_reader.h"

#include <GL/glew.h>

#include <cstring>

#include "runtime/frame/screenshot.h"

namespace {

size_t pictureBytes(int width, int height) { return static_cast<size_t>(width) * height * 4; }

}  // namespace

PictureReader::PictureReader(int width, int height) : width_(width), height_(height) {
    buffered_ = GLEW_VERSION_2_1 || GLEW_ARB_pixel_buffer_object;
    if (!buffered_) return;
    glGenBuffers(kBuffers, buffers_);
    for (const unsigned int buffer : buffers_) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(pictureBytes(width, height)), nullptr,
                     GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

PictureReader::~PictureReader() {
    if (buffered_) glDeleteBuffers(kBuffers, buffers_);
}

void PictureReader::start() {
    const int slot = static_cast<int>(started_++ % kBuffers);
    if (!buffered_) {
        readPictureRgba(width_, height_, read_[slot]);
        return;
    }
    selectPictureForReading();
    // A pack buffer bound turns glReadPixels' pointer into an offset in it;
    // unbound again at once, every other read stays as it was.
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[slot]);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

bool PictureReader::take(std::vector<uint8_t>& pixels) {
    if (pending() == 0) return false;
    const int slot = static_cast<int>(taken_++ % kBuffers);
    if (!buffered_) {
        pixels.swap(read_[slot]);
        return true;
    }
    pixels.resize(pictureBytes(width_, height_));
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[slot]);
    const void* mapped = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (mapped) {
        std::memcpy(pixels.data(), mapped, pixels.size());
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return mapped != nullptr;
}
