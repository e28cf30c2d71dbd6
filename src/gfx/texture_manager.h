// TextureManager: every texture the scenes bind, image file or off-screen
// buffer, addressed by a small index handed out in load order.
//
//   int gradient = textures->load("gradient.jpg", GL_LINEAR);   // "Textures/gradient.jpg"
//   int logo = textures->loadWithAlpha("black_1024.jpg", "logo.jpg", GL_LINEAR);
//   textures->bind(gradient);
//   textures->reloadImages();                                   // the files were edited
//
// A file is decoded once: loading a name again returns its first index.
// A missing file is reported and leaves a valid index with an empty texture.
// Names ending in "jpg" (any case) are decoded; others give an empty texture.
// Beyond kCapacity entries an error box is shown and kNoTexture returned,
// which binds no texture. All calls need the GL context current; the
// loaders and createBlank leave the new texture bound.
#pragma once

#include <string>

#include "assets/model_textures.h"
#include "gfx/jpeg_texture.h"  // kMipmapFilter

// Models load and bind their materials' textures through it as ModelTextures.
class TextureManager final : public ModelTextures {
public:
    static constexpr int kCapacity = 512;
    static constexpr int kNoTexture = -1;

    int load(const char* fileName, int filter) override;
    int loadWithAlpha(const char* colourFileName, const char* alphaFileName, int filter);
    int createBlank(int size, int filter);
    // Leaves 2D texturing on (through setGlState) with the entry bound.
    void bind(int index) override;

    struct Reload {
        int reloaded = 0;  // entries with a new image
        int kept = 0;      // entries whose file is missing or unusable: the old image stays
    };
    // Decodes every image file again (colour and alpha, with its filter)
    // and puts it under the same index; a file that cannot be read or
    // decoded is reported as at loading and leaves the previous image.
    // Blanks are left alone. Leaves no texture bound.
    Reload reloadImages();

    int count = 0;
    unsigned int glNames[kCapacity] = {};
    std::string fileNames[kCapacity];  // as requested, without "Textures/"; empty for blanks

private:
    bool uploadFile(int index);

    bool hasRoom(const char* what);
    int addEntry();

    std::string alphaFileNames_[kCapacity];  // empty: no alpha file
    int filters_[kCapacity] = {};
};
