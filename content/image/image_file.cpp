#include "image/image_file.h"

#include <png.h>

#include <cstdio>
#include <fstream>

#include "jpeg_writer.h"

std::vector<uint8_t> encodeImageJpeg(const Image& image, int quality, std::string& error) {
    JpegWriteOptions options;
    options.quality = quality;
    options.sampling = JpegSampling::S420;
    return encodeJpeg(image.pixels.data(), image.width, image.height, image.channels, options, error);
}

namespace {

int pngColourType(int channels) {
    return channels == 1 ? PNG_COLOR_TYPE_GRAY : channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
}

}  // namespace

bool writePng(const std::filesystem::path& path, const Image& image, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path.string();
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        error = "libpng failed on " + path.string();
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, pngColourType(image.channels), PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(image.width) * image.channels;
    for (int y = 0; y < image.height; ++y) png_write_row(png, image.pixels.data() + stride * y);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}

bool writeFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}
