#include <GL/gl.h>

#include "scenes/scenes.h"

namespace {

void noAssets() {}
void noState() {}

// Stands in for a scene until it is written: a flat grey that tells the
// scenes apart, so shots show where the picture and the bars are.
void renderPlaceholder() {
    const float level = 0.1f + 0.05f * static_cast<float>(sceneIndex);
    glClearColor(level, level, level, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

constexpr SceneEntry kPlaceholder = {noAssets, noState, renderPlaceholder};

}  // namespace

const SceneEntry sceneTable[kSceneCount] = {
    kPlaceholder, kPlaceholder, kPlaceholder, kPlaceholder, kPlaceholder, kPlaceholder,
    kPlaceholder, kPlaceholder, kPlaceholder, kPlaceholder, kPlaceholder,
};
