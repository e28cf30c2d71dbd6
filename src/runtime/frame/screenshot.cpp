#include "runtime/frame/screenshot.h"

#include <GL/glew.h>
#include <png.h>

#include <cstdio>

#include "gfx/gl_extensions.h"
#include "runtime/platform/output_file.h"

namespace {

// The caller says what went wrong, once; libpng would print its own line too.
[[noreturn]] void pngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

// How the rows of a picture lie in memory: 3 or 4 bytes a pixel (the
// fourth, alpha, is not written), top or bottom row first.
struct RowLayout {
    int bytesPerPixel;
    bool bottomUp;
};

// False when libpng gave up, which it does on the first failed write (a
// full disk, say); errno then tells why.
bool encodePng(FILE* file, int width, int height, const std::vector<uint8_t>& pixels, RowLayout layout) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (layout.bytesPerPixel == 4) png_set_filler(png, 0, PNG_FILLER_AFTER);
    const size_t row = static_cast<size_t>(width) * layout.bytesPerPixel;
    for (int y = 0; y < height; ++y) {
        const int from = layout.bottomUp ? height - 1 - y : y;
        png_write_row(png, const_cast<png_bytep>(pixels.data() + from * row));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The pixels must be width x height of the layout; a PNG file of them
// replaces the one at path only once complete.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels, RowLayout layout,
              std::string& error) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height * layout.bytesPerPixel) {
        error = "bad image size";
        return false;
    }
    return writeOutputStream(
        path, [&](FILE* file) { return encodePng(file, width, height, pixels, layout); }, error);
}

}  // namespace

bool writePngRgb(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                 std::string& error) {
    return writePng(path, width, height, rgb, {.bytesPerPixel = 3, .bottomUp = false}, error);
}

bool writePngFromGlRows(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
                        std::string& error) {
    return writePng(path, width, height, rgba, {.bytesPerPixel = 4, .bottomUp = true}, error);
}

void selectPictureForReading() {
    bindWindowTarget();
    glReadBuffer(windowTargetIsOffscreen() ? GL_COLOR_ATTACHMENT0_EXT : GL_BACK);
}

void readPictureRgba(int width, int height, std::vector<uint8_t>& rgba) {
    rgba.resize(static_cast<size_t>(width) * height * 4);
    selectPictureForReading();
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

bool saveBackBufferPng(const std::string& path, int width, int height, std::string& error) {
    std::vector<uint8_t> rgba;
    readPictureRgba(width, height, rgba);
    return writePngFromGlRows(path, width, height, rgba, error);
}
