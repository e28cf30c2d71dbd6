#include "runtime/replay/replay.h"

#include <cmath>
#include <cstdint>

#include "assets/crt_random.h"
#include "assets/vec_math.h"
#include "runtime/audio/music.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"

namespace {

uint32_t crtRandAtStart = 1;
uint32_t randomAtStart = 0;

struct OfflineClock {
    bool running = false;
    double startMs = 0.0;
    double fps = kShotFps;
    long long next = 0;  // the frame advanceOfflineClock() gives next
} offlineClock;

// The clock's values and sceneIndex of the frame at ms, as a frame sets
// them; nothing else.
void placeFrameAt(double ms, double deltaMs) {
    advanceClock(static_cast<float>(ms), static_cast<float>(deltaMs));
    sceneIndex = findSceneIndex();
}

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

double offlineFrameMs(double startMs, long long n, double fps) { return startMs + n * 1000.0 / fps; }

int leadInFrames(double ms, double fps) {
    const double sceneStart = sceneStartMs[sceneIndexAt(static_cast<float>(ms))];
    const double frameMs = 1000.0 / fps;
    const int frames = static_cast<int>(std::ceil((ms - sceneStart) / frameMs - 1e-9)) - 1;
    return frames > 0 ? frames : 0;
}

long long spanFrameCount(double fromMs, double toMs, int fps) {
    const long long frames = std::llround((toMs - fromMs) * fps / 1000.0);
    return frames > 0 ? frames : 1;
}

void stepSceneFrameAt(double ms, double deltaMs) {
    placeFrameAt(ms, deltaMs);
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
    const double startMs = ms - lead * (1000.0 / fps);
    // Frame `lead` is the one at ms, the frame a shot draws: from the state
    // its predecessors left, before its own update.
    for (int n = 0; n < lead; ++n) stepSceneFrameAt(offlineFrameMs(startMs, n, fps), 1000.0 / fps);
    placeFrameAt(offlineFrameMs(startMs, lead, fps), 1000.0 / fps);
}

void startOfflineClock(double ms, double fps) {
    advanceEarlierScenes(ms, fps);
    const int lead = leadInFrames(ms, fps);
    offlineClock = {.running = true, .startMs = ms - lead * (1000.0 / fps), .fps = fps, .next = 0};
    MusicConfig music;
    music.mode = ClockMode::Offline;
    music.startMs = offlineClock.startMs;
    startMusic(music);
    for (; offlineClock.next < lead; ++offlineClock.next)
        stepSceneFrameAt(offlineFrameMs(offlineClock.startMs, offlineClock.next, fps), 1000.0 / fps);
}

bool offlineClockRunning() { return offlineClock.running; }

void advanceOfflineClock() {
    const double ms = offlineFrameMs(offlineClock.startMs, offlineClock.next++, offlineClock.fps);
    advanceClock(static_cast<float>(ms), static_cast<float>(1000.0 / offlineClock.fps));
}
