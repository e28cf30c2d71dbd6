// ModelTextures: what the bitmaps of a model's materials become textures
// with, and what drawing binds them by. The program's is the engine's
// TextureManager (gfx); the reader only sees this, so it needs no GL, and
// tools and tests without GL pass none (null).
//
//   material.textureIndex = textures->load("metal.jpg", GL_LINEAR);
//   textures->bind(material.textureIndex);   // before the mesh is drawn
#pragma once

class ModelTextures {
public:
    // Index of the texture made from "Textures/" + fileName; a file that
    // cannot be read still gets one (an empty texture).
    virtual int load(const char* fileName, int filter) = 0;
    // Turns 2D texturing on and binds the texture for the draws that follow.
    virtual void bind(int index) = 0;

protected:
    ~ModelTextures() = default;
};
