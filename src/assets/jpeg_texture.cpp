// Placeholder until the decoder lands: reports missing files as the real
// loader does and uploads nothing.
#include "assets/jpeg_texture.h"

#include <cstdio>

#include "gfx/message_box.h"

namespace {
bool exists(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}
}  // namespace

bool loadJpegTexture(const char* path, int) {
    if (exists(path)) return true;
    char text[256];
    std::snprintf(text, sizeof text, "File %s not found!", path);
    showMessageBox(text, "Error");
    return false;
}

bool loadJpegTextureWithAlpha(const char* colourPath, const char* alphaPath, int) {
    return exists(alphaPath) && exists(colourPath);
}
