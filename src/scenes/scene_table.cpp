#include <GL/gl.h>

#include "scenes/early_scenes.h"
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
    // The opening flight, the symbols, the clouds, the cloud tunnel, the bars.
    {initScene0, updateScene0, renderScene0},  // 0
    {initScene1, updateScene1, renderScene1},  // 1
    {initScene2, noState, renderScene2},       // 2
    {initScene3, noState, renderScene3},       // 3
    {initScene4, noState, renderScene4},       // 4

    // The ribbons, the flowers, the city, the ring ship, the piece, the credits.
    kPlaceholder,  // 5
    kPlaceholder,  // 6
    kPlaceholder,  // 7
    kPlaceholder,  // 8
    kPlaceholder,  // 9
    kPlaceholder,  // 10
};
