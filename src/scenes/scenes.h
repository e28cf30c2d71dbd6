// The scene table: eleven scenes in timeline order, each with four entry points.
//
//   init   - loads the scene's assets; called once at start-up, in order.
//   update - every stateful step of one frame: emissions, particle motion,
//            timers, every draw from the random generators. Runs on every
//            frame of the scene, drawn or not.
//   reset  - puts back the state init left, so a loop to the start plays
//            the scenes as the first pass did.
//   render - draws the frame from that state (into the render target, then
//            the passes); changes no state a later frame depends on. A
//            frame renders before it updates, so it shows the state the
//            frames before it left.
//
// Keeping update apart from render lets an offline shot run the frames
// before the one it wants without drawing them and still arrive at exactly
// the state a drawn run would have.
#pragma once

#include "runtime/timeline/timeline.h"

struct SceneEntry {
    void (*init)();
    void (*update)();
    void (*render)();
    void (*reset)();
};

extern const SceneEntry sceneTable[kSceneCount];
