#include "gfx/texture_manager.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "gfx/gl_check.h"
#include "gfx/jpeg_texture.h"
#include "gfx/gl_state.h"
#include "gfx/message_box.h"

namespace {

bool endsInJpg(const char* name) {
    const size_t n = std::strlen(name);
    if (n < 3) return false;
    const char* e = name + n - 3;
    return std::tolower(static_cast<unsigned char>(e[0])) == 'j' &&
           std::tolower(static_cast<unsigned char>(e[1])) == 'p' &&
           std::tolower(static_cast<unsigned char>(e[2])) == 'g';
}

// Sets: the minification and magnification filters of the bound texture.
void setFilters(int filter) {
    const bool mipmaps = filter == kMipmapFilter;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_NEAREST : filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mipmaps ? GL_LINEAR : filter);
}

std::string texturePath(const char* fileName) { return std::string("Textures/") + fileName; }

}  // namespace

bool TextureManager::hasRoom(const char* what) {
    if (count < kCapacity) return true;
    char text[512];
    std::snprintf(text, sizeof text, "Too many textures: all %d entries are used; %s gets none.", kCapacity, what);
    showMessageBox(text, "Error");
    return false;
}

// Binds the new entry's texture and leaves it bound.
int TextureManager::addEntry() {
    const int index = count;
    glGenTextures(1, &glNames[index]);
    glBindTexture(GL_TEXTURE_2D, glNames[index]);
    count += 1;
    return index;
}

int TextureManager::load(const char* fileName, int filter) { return loadWithAlpha(fileName, nullptr, filter); }

int TextureManager::loadWithAlpha(const char* colourFileName, const char* alphaFileName, int filter) {
    for (int i = 0; i < count; ++i)
        if (fileNames[i] == colourFileName) return i;
    if (!hasRoom(colourFileName)) return kNoTexture;
    const int index = addEntry();
    fileNames[index] = colourFileName;
    alphaFileNames_[index] = alphaFileName ? alphaFileName : "";
    filters_[index] = filter;
    uploadFile(index);
    return index;
}

// Into the bound texture; false when it got no image.
bool TextureManager::uploadFile(int index) {
    const std::string& colourFile = fileNames[index];
    bool read = false;
    if (endsInJpg(colourFile.c_str())) {
        const std::string colour = texturePath(colourFile.c_str());
        if (!alphaFileNames_[index].empty())
            read = loadJpegTextureWithAlpha(colour.c_str(), texturePath(alphaFileNames_[index].c_str()).c_str(),
                                            filters_[index]);
        else
            read = loadJpegTexture(colour.c_str(), filters_[index]);
        // Model materials load textures from inside a scene loader: the
        // file is the better name for an error than the loader.
        checkGlErrorsInDebug(colour.c_str());
    }
    // Wrap modes stay at GL's default, repeat.
    setFilters(filters_[index]);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return read && width > 0;  // a refused image uploads an empty one
}

TextureManager::Reload TextureManager::reloadImages() {
    Reload result;
    for (int i = 0; i < count; ++i) {
        if (!endsInJpg(fileNames[i].c_str())) continue;
        GLuint fresh = 0;
        glGenTextures(1, &fresh);
        glBindTexture(GL_TEXTURE_2D, fresh);
        std::swap(fresh, glNames[i]);
        if (uploadFile(i)) {
            result.reloaded += 1;
        } else {
            std::swap(fresh, glNames[i]);  // the old one back
            result.kept += 1;
        }
        glDeleteTextures(1, &fresh);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return result;
}

int TextureManager::createBlank(int size, int filter) {
    if (!hasRoom("a blank texture")) return kNoTexture;
    const int index = addEntry();
    // The contents are overwritten by copies before use; zeros keep them defined.
    std::vector<unsigned char> scratch(static_cast<size_t>(size) * size * 3, 0);
    if (filter == kMipmapFilter)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, size, size, GL_RGB, GL_UNSIGNED_BYTE, scratch.data());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, 3, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, scratch.data());
    setFilters(filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    return index;
}

void TextureManager::bind(int index) {
    setGlState({.texture2D = kOn});
    // An index never handed out (kNoTexture included) binds no texture
    // rather than reading past the table.
    glBindTexture(GL_TEXTURE_2D, index >= 0 && index < count ? glNames[index] : 0);
}
