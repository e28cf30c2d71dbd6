#include "runtime/startup.h"

#include <GL/glew.h>

#include <cstdio>

#include "gfx/engine.h"
#include "scenes/scenes.h"

void initialize() {
    engine = new Engine();  // lives until the process exits
    engine->shaders = std::make_unique<ShaderManager>();
    engine->shaders->init();
    std::printf("initialize()\n");
    for (const SceneEntry& scene : sceneTable) scene.init();
    glEnable(GL_DEPTH_TEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}
