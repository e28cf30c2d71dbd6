// The music clock set by hand, as the frame loop sets it each frame, for
// tests of what scenes and the timeline compute at a time; and the scene
// table's times as the floats the scenes compare with.
//
//   at(sceneStart(8) + 250);   // musicTimeMs, then sceneIndex, as a frame sets them
#pragma once

#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"

inline void at(float ms) {
    placeClock(ms);
    sceneIndex = findSceneIndex();
}

inline float sceneStart(int scene) { return static_cast<float>(sceneStartMs[scene]); }
inline float sceneEnd(int scene) { return static_cast<float>(sceneStartMs[scene + 1]); }
