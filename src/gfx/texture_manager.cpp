#include "gfx/texture_manager.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cctype>
#include <cstdio>
#include <vector>

#include "assets/jpeg_texture.h"
#include "gfx/message_box.h"

namespace {

bool endsInJpg(const char* name) {
    const std::string s = name;
    if (s.size() < 3) return false;
    const char* e = s.c_str() + s.size() - 3;
    return std::tolower(static_cast<unsigned char>(e[0])) == 'j' &&
           std::tolower(static_cast<unsigned char>(e[1])) == 'p' &&
           std::tolower(static_cast<unsigned char>(e[2])) == 'g';
}

// Leaves: the filters set on the bound texture.
void setFilters(int filter) {
    const bool mipmaps = filter == kMipmapFilter;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_NEAREST : filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mipmaps ? GL_LINEAR : filter);
}

std::string texturePath(const char* fileName) { return std::string("Textures/") + fileName; }

}  // namespace

int TextureManager::load(const char* fileName, int filter) {
    return loadWithAlpha(fileName, nullptr, filter);
}

int TextureManager::loadWithAlpha(const char* colourFileName, const char* alphaFileName, int filter) {
    for (int i = 0; i < count; ++i)
        if (fileNames[i] == colourFileName) return i;
    if (count >= kCapacity) {
        showMessageBox("Too many textures", "Error");
        return 0;
    }
    const int index = count;
    fileNames[index] = colourFileName;
    glGenTextures(1, &glNames[index]);
    glBindTexture(GL_TEXTURE_2D, glNames[index]);
    if (endsInJpg(colourFileName)) {
        const std::string colour = texturePath(colourFileName);
        if (alphaFileName)
            loadJpegTextureWithAlpha(colour.c_str(), texturePath(alphaFileName).c_str(), filter);
        else
            loadJpegTexture(colour.c_str(), filter);
    }
    setFilters(filter);
    count += 1;
    return index;
}

int TextureManager::createBlank(int size, int filter) {
    if (count >= kCapacity) {
        showMessageBox("Too many textures", "Error");
        return 0;
    }
    const int index = count;
    glGenTextures(1, &glNames[index]);
    glBindTexture(GL_TEXTURE_2D, glNames[index]);
    // The contents are overwritten by copies before use; zeros keep them defined.
    std::vector<unsigned char> scratch(static_cast<size_t>(size) * size * 3, 0);
    if (filter == kMipmapFilter)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, size, size, GL_RGB, GL_UNSIGNED_BYTE, scratch.data());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, 3, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, scratch.data());
    setFilters(filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    count += 1;
    return index;
}

void TextureManager::bind(int index) {
    glEnable(GL_TEXTURE_2D);
    // An index never handed out binds nothing rather than reading past the table.
    glBindTexture(GL_TEXTURE_2D, index >= 0 && index < count ? glNames[index] : 0);
}
