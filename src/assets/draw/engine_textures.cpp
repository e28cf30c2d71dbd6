// The one place a model reaches the engine: AseModel::load(path) loads the
// materials' textures through the engine's texture manager. Apart from the
// reader, which takes its textures as a ModelTextures and needs no GL.
#include "assets/ase_model.h"
#include "gfx/engine.h"
#include "gfx/texture_manager.h"

// No engine (tools, tests without GL): models load without textures.
void AseModel::load(const char* path) { load(path, engine ? engine->textures.get() : nullptr); }
