// Engine: the one object that gathers the managers and the small projection
// helpers every scene uses. Reached through the global pointer `engine`,
// created once by initialize() and never destroyed.
#pragma once

#include <memory>

#include "gfx/shader_manager.h"

class Engine {
public:
    std::unique_ptr<ShaderManager> shaders;

    // Pixel projection with y down: (0, 0) is the top-left corner and
    // (width, height) the bottom-right. Leaves depth test, face culling,
    // lighting and fog disabled, the modelview matrix identity and the
    // viewport 0, 0, width, height.
    void setOrtho2D(float width, float height);
};

extern Engine* engine;
