#include "scenes/scene_entries.h"
#include "scenes/scenes.h"

namespace {

// Scenes whose every frame is a pure function of the music time (or whose
// state is remade every frame).
void noState() {}

}  // namespace

const SceneEntry sceneTable[kSceneCount] = {
    // The opening flight, the symbols, the clouds, the cloud tunnel, the bars.
    {initScene0, updateScene0, renderScene0, resetScene0},   // 0
    {initScene1, updateScene1, renderScene1, resetScene1},   // 1
    {initScene2, noState, renderScene2, noState},            // 2
    {initScene3, noState, renderScene3, noState},            // 3
    {initScene4, noState, renderScene4, noState},            // 4

    // The ribbons, the flowers, the city, the ring ship, the piece, the credits.
    {initScene5, updateScene5, renderScene5, noState},       // 5
    {initScene6, updateScene6, renderScene6, noState},       // 6
    {initScene7, updateScene7, renderScene7, resetScene7},   // 7
    {initScene8, updateScene8, renderScene8, noState},       // 8
    {initScene9, updateScene9, renderScene9, noState},       // 9
    {initScene10, updateScene10, renderScene10, noState},    // 10
};
