#include "runtime/frame/screenshot.h"

#include <GL/glew.h>
#include <png.h>

#include <cstdio>
#include <cstring>

#include "gfx/gl_extensions.h"
#include "runtime/platform/output_file.h"

namespace {

// The caller says what went wrong, once; libpng would print its own line too.
[[noreturn]] void pngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

// False when libpng gave up, which it does on the first failed write (a
// full disk, say); errno then tells why.
bool encodePng(FILE* file, int width, int height, const std::vector<uint8_t>& rgb) {
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
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgb.data() + static_cast<size_t>(y) * width * 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePngRgb(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                 std::string& error) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) {
        error = "bad image size";
        return false;
    }
    return writeOutputStream(path, [&](FILE* file) { return encodePng(file, width, height, rgb); }, error);
}

void readPictureRgb(int width, int height, std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    bindWindowTarget();
    glReadBuffer(windowTargetIsOffscreen() ? GL_COLOR_ATTACHMENT0_EXT : GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL rows run bottom-up; files want them top-down.
    rgb.resize(pixels.size());
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(rgb.data() + y * row, pixels.data() + (height - 1 - y) * row, row);
}

bool saveBackBufferPng(const std::string& path, int width, int height, std::string& error) {
    std::vector<uint8_t> rgb;
    readPictureRgb(width, height, rgb);
    return writePngRgb(path, width, height, rgb, error);
}
