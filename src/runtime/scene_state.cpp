#include "runtime/scene_state.h"

#include <cstdint>

#include "assets/crt_random.h"
#include "assets/vec_math.h"
#include "runtime/music.h"
#include "runtime/offline_run.h"
#include "runtime/timeline.h"
#include "scenes/scenes.h"

namespace {

uint32_t crtRandAtStart = 1;
uint32_t randomAtStart = 0;

// Frame n of an offline clock that starts at startMs: the same arithmetic
// as the clock's own, so the times agree to the last bit.
double offlineFrameMs(double startMs, long long n, double fps) { return startMs + n * 1000.0 / fps; }

}  // namespace

void rememberStartOfShow() {
    crtRandAtStart = crtRandState();
    randomAtStart = randomState();
}

void restoreStartOfShow() {
    for (const SceneEntry& scene : sceneTable) scene.reset();
    setCrtRandState(crtRandAtStart);
    seedRandom(randomAtStart);
}

void stepSceneFrameAt(double ms, double deltaMs) {
    previousTimeMs = musicTimeMs;
    musicTimeMs = static_cast<float>(ms);
    frameDeltaMs = static_cast<float>(deltaMs);
    sceneIndex = findSceneIndex();
    if (sceneIndex >= 0 && sceneIndex < kSceneCount) sceneTable[sceneIndex].update();
}

void advanceEarlierScenes(double ms, double fps) {
    const int scene = sceneIndexAt(static_cast<float>(ms));
    const double frameMs = 1000.0 / fps;
    for (long long n = 0;; ++n) {
        const double t = offlineFrameMs(0.0, n, fps);
        if (sceneIndexAt(static_cast<float>(t)) >= scene) break;
        stepSceneFrameAt(t, frameMs);
    }
}

void rebuildSceneStateAt(double ms, double fps) {
    restoreStartOfShow();
    advanceEarlierScenes(ms, fps);
    const int lead = leadInFrames(ms, fps);
    const double frameMs = 1000.0 / fps;
    const double startMs = ms - lead * frameMs;
    // Frame `lead` is the one at ms: the frame a shot draws.
    for (int n = 0; n <= lead; ++n) stepSceneFrameAt(offlineFrameMs(startMs, n, fps), frameMs);
}
