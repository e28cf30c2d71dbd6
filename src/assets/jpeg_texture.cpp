#include "assets/jpeg_texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <vector>

#include "assets/data_files.h"
#include "assets/jpeg_decoder.h"
#include "gfx/message_box.h"
#include "gfx/texture_manager.h"

namespace {

// False only when the file cannot be read. A file the decoder refuses
// gives an empty image and one console line saying why.
bool decodeFile(const char* path, JpegImage& image) {
    std::vector<uint8_t> bytes;
    if (!readFileBytes(path, bytes)) return false;
    const JpegDecodeResult r = decodeJpeg(bytes.data(), bytes.size(), image);
    if (!r.ok)
        std::fprintf(stderr, "%s: %s; the texture stays empty\n", path, r.reason.c_str());
    else if (r.corruptCodes > 0)
        std::fprintf(stderr, "%s: damaged image data (%d bad codes)\n", path, r.corruptCodes);
    return true;
}

// Sets: level 0 of the bound GL_TEXTURE_2D, and the whole mipmap chain for
// kMipmapFilter. RGBA rows of 4-byte pixels are aligned for any
// GL_UNPACK_ALIGNMENT, so that is left as it is. An empty image makes an
// empty texture.
void upload(const JpegImage& image, GLint internalFormat, int filter) {
    const void* pixels = image.rgba.empty() ? nullptr : image.rgba.data();
    if (filter == kMipmapFilter)
        gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE,
                          pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     pixels);
}

}  // namespace

bool loadJpegTexture(const char* path, int filter) {
    JpegImage image;
    if (!decodeFile(path, image)) {
        if (inMissingDataFolder(path)) return false;  // said once for the folder
        char text[256];
        std::snprintf(text, sizeof text, "File %s not found!", path);
        showMessageBox(text, "Error");
        return false;
    }
    // Internal format 3: the alpha bytes are dropped.
    upload(image, 3, filter);
    return true;
}

bool loadJpegTextureWithAlpha(const char* colourPath, const char* alphaPath, int filter) {
    JpegImage alphaImage;
    if (!decodeFile(alphaPath, alphaImage)) return false;
    const int alphaWidth = alphaImage.width, alphaHeight = alphaImage.height;
    std::vector<uint8_t> alpha(static_cast<size_t>(alphaWidth) * alphaHeight);
    for (size_t i = 0; i < alpha.size(); ++i) {
        const uint8_t* p = &alphaImage.rgba[4 * i];
        alpha[i] = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
    }
    alphaImage = JpegImage{};

    JpegImage image;
    if (!decodeFile(colourPath, image)) return false;
    if (image.width != alphaWidth || image.height != alphaHeight) {
        // Pixel i of one would be some other place of the other: refused.
        std::fprintf(stderr, "%s: alpha image %s is %dx%d, colour image is %dx%d; the texture stays empty\n",
                     colourPath, alphaPath, alphaWidth, alphaHeight, image.width, image.height);
        image = JpegImage{};
    }
    for (size_t i = 0; i < alpha.size() && 4 * i < image.rgba.size(); ++i) image.rgba[4 * i + 3] = alpha[i];
    upload(image, GL_RGBA8, filter);
    return true;
}
