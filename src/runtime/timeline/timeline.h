// Timeline: the fixed tables of music times and the queries scenes animate by.
//
// Every query reads musicTimeMs as "now" (and trackBSceneStartIndex also
// sceneIndex); nothing here keeps state. Tables end in the sentinel 999999.
//
//   int  scene = findSceneIndex();            // which scene runs now
//   float hit  = trackBPulse1000();           // 1 -> 0 over 1 s after a B event
#pragma once

constexpr int kSentinelMs = 999999;
// The first frame past this music time ends the program.
constexpr int kPresentationEndMs = 243200;

constexpr int kSceneCount = 11;
constexpr int kSceneStartCount = 12;
extern const int sceneStartMs[kSceneStartCount];

constexpr int kTrackACount = 9;
extern const int syncTrackA[kTrackACount];

constexpr int kTrackBCount = 40;
extern const int syncTrackB[kTrackBCount];

struct BeatGrid {
    float originMs;
    float periodMs;  // nearest float to 60000 / 136
};
extern const BeatGrid beatGrid;

// Set once per frame by the frame loop; 1 before the first frame.
extern int sceneIndex;

int findSceneIndex();
int sceneIndexAt(float ms);  // findSceneIndex for another time than now
int trackAIndex();
int trackBIndex();
int trackBTime();
int trackBSceneStartIndex();
int trackBCountInScene();
int beatIndex();

float beatPulse200();
float trackAPulse500();
float trackAPulse2000();
float trackBPulse1000();
float trackBPulse2000();

// Linear pulse shared by every pulse query: just under 1 right after the
// event at eventMs, falling to 0 at windowMs after it, 0 elsewhere.
float eventPulse(float eventMs, float windowMs, float slopePerMs);
