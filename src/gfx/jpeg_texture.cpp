#include "gfx/jpeg_texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "assets/data_file.h"
#include "assets/data_folders.h"
#include "assets/jpeg_decoder.h"
#include "gfx/message_box.h"

namespace {

constexpr const char* kStaysEmpty = "the texture stays empty";

// Decodes what can be decoded. Missing only when the file cannot be
// opened, which the caller reports; a refused file or image gives an empty
// image. Every other problem is named on stderr here (once per file and
// problem).
DataRead decodeFile(const char* path, JpegImage& image) {
    image = JpegImage{};
    ByteBuffer bytes;
    const DataRead read = readDataFile(path, DataKind::Image, bytes);
    if (read.status == ReadStatus::Refused) reportFileProblem(path, read.problem, kStaysEmpty);
    if (!read) return read;
    JpegDecodeResult r;
    try {
        r = decodeJpeg(bytes.data(), bytes.size(), image);
    } catch (const std::bad_alloc&) {
        image = JpegImage{};
        reportFileProblem(path, kNoMemoryToRead, kStaysEmpty);
        return read;
    }
    char text[200];
    if (!r.ok) {
        reportFileProblem(path, r.reason, kStaysEmpty);
    } else if (r.dataEndsAtRow >= 0) {
        std::snprintf(text, sizeof text, "the image data ends at row %d of %d (the file is cut short)",
                      r.dataEndsAtRow, image.height);
        reportFileProblem(path, text);
    } else if (r.corruptCodes > 0) {
        std::snprintf(text, sizeof text, "damaged image data (%d bad codes)", r.corruptCodes);
        reportFileProblem(path, text);
    }
    return read;
}

// Sets: level 0 of the bound GL_TEXTURE_2D, and the whole mipmap chain for
// kMipmapFilter. RGBA rows of 4-byte pixels are aligned for any
// GL_UNPACK_ALIGNMENT, so that is left as it is. An empty image makes an
// empty texture, and so does one larger than the driver takes (which would
// be a GL error); the mipmap builder scales such an image down itself.
void upload(const char* path, const JpegImage& image, GLint internalFormat, int filter) {
    const void* pixels = image.rgba.empty() ? nullptr : image.rgba.data();
    int width = image.width, height = image.height;
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (filter != kMipmapFilter && maxSide > 0 && (width > maxSide || height > maxSide)) {
        char text[160];
        std::snprintf(text, sizeof text, "is %dx%d; this GL driver takes at most %d a side", width, height,
                      static_cast<int>(maxSide));
        reportFileProblem(path, text, kStaysEmpty);
        pixels = nullptr;
        width = height = 0;
    }
    if (filter == kMipmapFilter)
        gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

}  // namespace

bool loadJpegTexture(const char* path, int filter) {
    JpegImage image;
    const DataRead read = decodeFile(path, image);
    if (read.status == ReadStatus::Missing) {
        if (inMissingDataFolder(path)) return false;  // said once for the folder
        char text[256];
        std::snprintf(text, sizeof text, "File %s not found!", path);
        showMessageBox(text, "Error");
        // The box's console line names the file; an alpha load of it later
        // need not again.
        noteFileProblemTold(path, read.problem);
        return false;
    }
    if (!read) return false;
    // Internal format 3: the alpha bytes are dropped.
    upload(path, image, 3, filter);
    return true;
}

bool loadJpegTextureWithAlpha(const char* colourPath, const char* alphaPath, int filter) {
    JpegImage alphaImage;
    // No box for these two: only a missing colour file of a plain load has one.
    const DataRead alphaRead = decodeFile(alphaPath, alphaImage);
    if (alphaRead.status == ReadStatus::Missing)
        reportFileProblem(alphaPath, alphaRead.problem,
                          std::strcmp(alphaPath, colourPath) == 0
                              ? std::string(kStaysEmpty)
                              : std::string(colourPath) + ", which takes its alpha from it, stays empty");
    // An alpha image the decoder refused is named already.
    if (!alphaRead || alphaImage.rgba.empty()) return false;
    const int alphaWidth = alphaImage.width, alphaHeight = alphaImage.height;
    std::vector<uint8_t> alpha(static_cast<size_t>(alphaWidth) * alphaHeight);
    for (size_t i = 0; i < alpha.size(); ++i) {
        const uint8_t* p = &alphaImage.rgba[4 * i];
        alpha[i] = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
    }
    alphaImage = JpegImage{};

    JpegImage image;
    const DataRead colourRead = decodeFile(colourPath, image);
    if (colourRead.status == ReadStatus::Missing) reportFileProblem(colourPath, colourRead.problem, kStaysEmpty);
    if (!colourRead) return false;
    // A colour image the decoder refused is empty and named already.
    if (!image.rgba.empty() && (image.width != alphaWidth || image.height != alphaHeight)) {
        // Pixel i of one would be some other place of the other: refused.
        char text[400];
        std::snprintf(text, sizeof text, "its alpha image %s is %dx%d, the colour image %dx%d", alphaPath, alphaWidth,
                      alphaHeight, image.width, image.height);
        reportFileProblem(colourPath, text, kStaysEmpty);
        image = JpegImage{};
    }
    for (size_t i = 0; i < alpha.size() && 4 * i < image.rgba.size(); ++i) image.rgba[4 * i + 3] = alpha[i];
    upload(colourPath, image, GL_RGBA8, filter);
    return true;
}
