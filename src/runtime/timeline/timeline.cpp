#include "runtime/timeline/timeline.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

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

// The results of a query for the clock value it last saw: a frame asks the
// same query many times (a pulse per ribbon vertex), and the clock moves
// once a frame. Keyed on the value's bits, whoever set it.
struct CachedAt {
    uint32_t timeBits = 0;
    bool valid = false;
    int value = 0;
};

template <typename Compute>
int cachedAtNow(CachedAt& cache, Compute compute) {
    uint32_t bits;  // the float's bits (as std::bit_cast, which not every library has yet)
    std::memcpy(&bits, &musicTimeMs, sizeof bits);
    if (!cache.valid || cache.timeBits != bits) cache = {bits, true, compute()};
    return cache.value;
}

constexpr int kBeatCount = 2000;

// Beat k of the grid, summed one period at a time in extended precision, so
// that beat n lands where n additions of the float period put it.
struct BeatTable {
    long double at[kBeatCount];
    BeatTable() {
        long double grid = beatGrid.originMs;
        for (long double& beat : at) {
            beat = grid;
            grid += beatGrid.periodMs;
        }
    }
};

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

int trackAIndex() {
    static CachedAt cache;
    return cachedAtNow(cache, [] { return lastIndexBefore(syncTrackA, kTrackACount, musicTimeMs); });
}

int trackBIndex() {
    static CachedAt cache;
    return cachedAtNow(cache, [] { return lastIndexAtOrBefore(syncTrackB, kTrackBCount, musicTimeMs); });
}

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
    static const BeatTable table;
    static CachedAt cache;
    // The beat before the first grid point above now: the same comparisons
    // of the float time with the extended sums as a walk along the grid
    // would make. Past the last point (about 882 s, long after the end) it
    // stays at the last beat, and so does a time that compares with nothing.
    return cachedAtNow(cache, [] {
        const long double now = musicTimeMs;
        const long double* above = std::upper_bound(std::begin(table.at), std::end(table.at), now);
        if (above == std::end(table.at)) return kBeatCount - 1;
        return static_cast<int>(above - std::begin(table.at)) - 1;
    });
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
