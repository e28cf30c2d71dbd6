#include "assets/engine_textures.h"

#include "gfx/engine.h"
#include "gfx/texture_manager.h"

TextureManager* engineTextures() { return engine ? engine->textures.get() : nullptr; }
