#include "jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// libjpeg reports errors by calling error_exit, which must not return; the
// jump brings control back to encodeJpeg with the message.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

void setSampling(jpeg_compress_struct& c, JpegSampling sampling) {
    const int h = sampling == JpegSampling::S444 ? 1 : 2;
    const int v = sampling == JpegSampling::S420 ? 2 : 1;
    c.comp_info[0].h_samp_factor = h;
    c.comp_info[0].v_samp_factor = v;
    for (int k = 1; k < 3; ++k) c.comp_info[k].h_samp_factor = c.comp_info[k].v_samp_factor = 1;
}

}  // namespace

std::vector<uint8_t> encodeJpeg(const uint8_t* pixels, int width, int height, int channels,
                                const JpegWriteOptions& options, std::string& error) {
    if ((channels != 1 && channels != 3) || width <= 0 || height <= 0) {
        error = "need a 1- or 3-channel image of positive size";
        return {};
    }
    jpeg_compress_struct c{};
    ErrorManager errors{};
    c.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    // buffer is only changed by libjpeg through its address, so it is in
    // memory, not a register, when an error jumps back here.
    if (setjmp(errors.jump)) {
        error = errors.message;
        jpeg_destroy_compress(&c);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = channels;
    c.in_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, options.quality, TRUE);
    if (channels == 3) setSampling(c, options.sampling);
    c.restart_in_rows = options.restartRows;
    c.optimize_coding = options.optimiseHuffman ? TRUE : FALSE;
    if (options.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    for (const JpegMarker& m : options.markers)
        jpeg_write_marker(&c, m.code, m.bytes.data(), static_cast<unsigned>(m.bytes.size()));
    const size_t stride = static_cast<size_t>(width) * channels;
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + c.next_scanline * stride);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

bool writeJpeg(const std::string& path, const uint8_t* pixels, int width, int height, int channels,
               const JpegWriteOptions& options, std::string& error) {
    const std::vector<uint8_t> file = encodeJpeg(pixels, width, height, channels, options, error);
    if (file.empty()) return false;
    const std::string temporary = path + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        error = "cannot write " + temporary;
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    if (std::fclose(f) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}
