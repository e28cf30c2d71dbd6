#include "assets/engine_textures.h"

#include "gfx/engine.h"
#include "gfx/texture_manager.h"

namespace {

// Whether the Engine owns its manager through a smart pointer or a plain
// pointer, or has none yet, this accessor keeps the readers compiling.
template <class E>
TextureManager* texturesOf(E* e) {
    if constexpr (requires { e->textures.get(); }) {
        return e->textures.get();
    } else if constexpr (requires { static_cast<TextureManager*>(e->textures); }) {
        return e->textures;
    } else {
        return nullptr;
    }
}

}  // namespace

TextureManager* engineTextures() { return engine ? texturesOf(engine) : nullptr; }
