#include "scenes/early_scenes.h"
#include "scenes/scenes.h"
#include "scenes/scenes_late.h"

namespace {

// Scenes whose every frame is a pure function of the music time.
void noState() {}

}  // namespace

const SceneEntry sceneTable[kSceneCount] = {
    // The opening flight, the symbols, the clouds, the cloud tunnel, the bars.
    {initScene0, updateScene0, renderScene0},  // 0
    {initScene1, updateScene1, renderScene1},  // 1
    {initScene2, noState, renderScene2},       // 2
    {initScene3, noState, renderScene3},       // 3
    {initScene4, noState, renderScene4},       // 4

    // The ribbons, the flowers, the city, the ring ship, the piece, the credits.
    {initScene5, updateScene5, renderScene5},     // 5
    {initScene6, updateScene6, renderScene6},     // 6
    {initScene7, updateScene7, renderScene7},     // 7
    {initScene8, updateScene8, renderScene8},     // 8
    {initScene9, updateScene9, renderScene9},     // 9
    {initScene10, updateScene10, renderScene10},  // 10
};
