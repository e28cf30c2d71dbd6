#include "runtime/timeline/timeline.h"

#include "runtime/timeline/clock.h"

const int sceneStartMs[kSceneStartCount] = {
    0, 29000, 51000, 58300, 85300, 90900, 120000, 149000, 178200, 207500, 236700, kSentinelMs};

const int syncTrackA[kTrackACount] = {800, 1600, 2400, 3200, 12000, 163000, 225600, 229200, kSentinelMs};

// clang-format off
const int syncTrackB[kTrackBCount] = {
    8500,   17800,  21800,  25400,  29000,  36200,  43700,  58300,  65300,  73000,
    79500,  83900,  90900,  98000,  104800, 112000, 127500, 134800, 142000, 149000,
    153500, 157000, 161000, 163000, 171000, 178200, 182200, 185800, 189300, 192800,
    196500, 200300, 204000, 207500, 211300, 214900, 218400, 222000, 229200, kSentinelMs};
// clang-format on

const BeatGrid beatGrid = {0.0f, 441.17648f};

int sceneIndex = 1;

namespace {

// Searches run from the last entry down; a search that finds nothing gives 0,
// the same as the first entry (the pulses tell the two apart).
int lastIndexBefore(const int* table, int count, float now) {
    for (int i = count - 1; i >= 0; --i)
        if (static_cast<float>(table[i]) < now) return i;
    return 0;
}

int lastIndexAtOrBefore(const int* table, int count, float now) {
    for (int i = count - 1; i >= 0; --i)
        if (static_cast<float>(table[i]) <= now) return i;
    return 0;
}

}  // namespace

int findSceneIndex() { return sceneIndexAt(musicTimeMs); }
int sceneIndexAt(float ms) { return lastIndexBefore(sceneStartMs, kSceneStartCount, ms); }
int trackAIndex() { return lastIndexBefore(syncTrackA, kTrackACount, musicTimeMs); }
int trackBIndex() { return lastIndexAtOrBefore(syncTrackB, kTrackBCount, musicTimeMs); }
int trackBTime() { return syncTrackB[trackBIndex()]; }

int trackBSceneStartIndex() {
    if (sceneIndex < 0 || sceneIndex >= kSceneStartCount) return 0;  // before the first frame
    const int start = sceneStartMs[sceneIndex];
    for (int i = 0; i < kTrackBCount; ++i)
        if (syncTrackB[i] >= start) return i;
    return 0;
}

int trackBCountInScene() { return trackBIndex() - trackBSceneStartIndex(); }

int beatIndex() {
    // The grid position is summed one period at a time in extended precision,
    // so beat n lands where n additions of the float period put it.
    long double grid = beatGrid.originMs;
    for (int k = 0; k < 2000; ++k) {
        if (musicTimeMs < grid) return k - 1;
        grid += beatGrid.periodMs;
    }
    return 1999;  // past about 882 s; the presentation ends long before
}

float eventPulse(float eventMs, float windowMs, float slopePerMs) {
    const float x = eventMs - musicTimeMs;
    if (x > -windowMs && x < 0.0f) return (x + windowMs) * slopePerMs;
    return 0.0f;
}

float beatPulse200() {
    const float beat = static_cast<float>(beatIndex()) * beatGrid.periodMs + beatGrid.originMs;
    return eventPulse(beat, 200.0f, 0.005f);
}

float trackAPulse500() { return eventPulse(static_cast<float>(syncTrackA[trackAIndex()]), 500.0f, 0.002f); }
float trackAPulse2000() { return eventPulse(static_cast<float>(syncTrackA[trackAIndex()]), 2000.0f, 0.0005f); }
float trackBPulse1000() { return eventPulse(static_cast<float>(trackBTime()), 1000.0f, 0.001f); }
float trackBPulse2000() { return eventPulse(static_cast<float>(trackBTime()), 2000.0f, 0.0005f); }
