#include <cstdio>
#include <vector>

#include "assets/data_file.h"
#include "assets/jpeg_decoder.h"
#include "verbs.h"

// Decodes IN.jpg exactly as the program does and writes its RGB as binary
// PPM. A refused file (broken, not baseline, too large) writes nothing.
int inspectJpeg(const VerbArgs& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: afterglow-inspect jpeg IN.jpg OUT.ppm\n");
        return 2;
    }
    const char* in = args[0].c_str();
    const char* out = args[1].c_str();
    ByteBuffer bytes;
    const DataRead read = readDataFile(in, DataKind::Image, bytes);
    if (!read) {
        std::fprintf(stderr, "afterglow-inspect: %s: %s\n", in, read.problem.c_str());
        return 1;
    }
    JpegImage image;
    const JpegDecodeResult r = decodeJpeg(bytes.data(), bytes.size(), image);
    if (!r.ok) {
        std::fprintf(stderr, "afterglow-inspect: %s: %s\n", in, r.reason.c_str());
        return 1;
    }
    if (r.dataEndsAtRow >= 0)
        std::fprintf(stderr, "afterglow-inspect: %s: the image data ends at row %d of %d\n", in, r.dataEndsAtRow,
                     image.height);
    if (r.corruptCodes > 0)
        std::fprintf(stderr, "afterglow-inspect: %s: damaged image data (%d bad codes)\n", in, r.corruptCodes);

    ByteBuffer rgb(static_cast<size_t>(image.width) * image.height * 3);
    for (size_t i = 0; i < rgb.size() / 3; ++i)
        for (int c = 0; c < 3; ++c) rgb[3 * i + c] = image.rgba[4 * i + c];
    FILE* f = std::fopen(out, "wb");
    if (!f) {
        std::fprintf(stderr, "afterglow-inspect: cannot write %s\n", out);
        return 1;
    }
    std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    if (std::fclose(f) != 0 || !written) {
        std::fprintf(stderr, "afterglow-inspect: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
