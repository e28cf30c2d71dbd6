#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "support/music_time.h"

namespace {

TEST(Timeline, SceneStartsCountOnlyOnceTimeHasPassedThem) {
    at(0.0f);
    EXPECT_EQ(findSceneIndex(), 0);
    at(29000.0f);
    EXPECT_EQ(findSceneIndex(), 0);
    at(29000.5f);
    EXPECT_EQ(findSceneIndex(), 1);
    at(236700.5f);
    EXPECT_EQ(findSceneIndex(), 10);
    at(243200.0f);
    EXPECT_EQ(findSceneIndex(), 10);
    for (int k = 0; k < kSceneCount; ++k) {
        at(static_cast<float>(sceneStartMs[k]) + 1.0f);
        EXPECT_EQ(findSceneIndex(), k) << "one ms into scene " << k;
    }
}

TEST(Timeline, StartOfMusicHasNoEventsAndNoPulses) {
    at(0.0f);
    EXPECT_EQ(trackAIndex(), 0);
    EXPECT_EQ(trackBIndex(), 0);
    EXPECT_EQ(beatIndex(), 0);
    EXPECT_EQ(trackAPulse500(), 0.0f);
    EXPECT_EQ(trackAPulse2000(), 0.0f);
    EXPECT_EQ(trackBPulse1000(), 0.0f);
    EXPECT_EQ(trackBPulse2000(), 0.0f);
    EXPECT_EQ(beatPulse200(), 0.0f);
}

TEST(Timeline, APulseIsZeroOnItsMillisecondAndNearlyOneRightAfter) {
    at(800.0f);
    EXPECT_EQ(trackAIndex(), 0);
    EXPECT_EQ(trackAPulse500(), 0.0f);
    at(801.0f);
    EXPECT_EQ(trackAIndex(), 0);
    EXPECT_FLOAT_EQ(trackAPulse500(), 499.0f * 0.002f);
    at(1300.0f);  // x = -500 exactly: the window is open at both ends
    EXPECT_EQ(trackAPulse500(), 0.0f);
    at(1601.0f);
    EXPECT_EQ(trackAIndex(), 1);
    EXPECT_FLOAT_EQ(trackAPulse2000(), 1999.0f * 0.0005f);
}

TEST(Timeline, BEventsCountFromTheirOwnMillisecond) {
    at(8500.0f);
    EXPECT_EQ(trackBIndex(), 0);
    EXPECT_EQ(trackBTime(), 8500);
    EXPECT_EQ(trackBPulse1000(), 0.0f);
    at(9000.0f);
    EXPECT_FLOAT_EQ(trackBPulse1000(), 0.5f);
    EXPECT_FLOAT_EQ(trackBPulse2000(), 0.75f);
    at(29000.0f);  // still scene 0, but the B event at 29000 already counts
    EXPECT_EQ(sceneIndex, 0);
    EXPECT_EQ(trackBIndex(), 4);
}

TEST(Timeline, BEventsAreCountedFromTheSceneStart) {
    at(30000.0f);
    EXPECT_EQ(sceneIndex, 1);
    EXPECT_EQ(trackBIndex(), 4);
    EXPECT_EQ(trackBSceneStartIndex(), 4);
    EXPECT_EQ(trackBCountInScene(), 0);
    at(40000.0f);
    EXPECT_EQ(trackBIndex(), 5);
    EXPECT_EQ(trackBCountInScene(), 1);
    at(20000.0f);  // scene 0 counts from the first event
    EXPECT_EQ(trackBSceneStartIndex(), 0);
    EXPECT_EQ(trackBCountInScene(), 1);
    at(125000.0f);  // scene 6 starts at 120000, before its first event at 127500
    EXPECT_EQ(trackBSceneStartIndex(), 16);
    EXPECT_EQ(trackBCountInScene(), -1);
    at(127500.0f);
    EXPECT_EQ(trackBCountInScene(), 0);
    at(240000.0f);  // the credits: no event at or after their start but the sentinel
    EXPECT_EQ(trackBSceneStartIndex(), 39);
    EXPECT_EQ(trackBCountInScene(), -1);
}

TEST(Timeline, BeatGridFollowsTheSummedPeriod) {
    at(441.17648f * 3.0f + 100.0f);
    EXPECT_EQ(beatIndex(), 3);
    EXPECT_NEAR(beatPulse200(), 0.5f, 1e-4f);
    at(-1.0f);
    EXPECT_EQ(beatIndex(), -1);
    at(441.0f);
    EXPECT_EQ(beatIndex(), 0);
    at(442.0f);
    EXPECT_EQ(beatIndex(), 1);
    at(243200.0f);
    EXPECT_EQ(beatIndex(), 551);
    at(1.0e7f);  // far past the grid's 2000 steps
    EXPECT_EQ(beatIndex(), 1999);
}

// The beat as a walk along the grid finds it: one period added at a time in
// extended precision, compared with the float time at every step.
int beatByWalking(float now) {
    long double grid = beatGrid.originMs;
    for (int k = 0; k < 2000; ++k) {
        if (now < grid) return k - 1;
        grid += beatGrid.periodMs;
    }
    return 1999;
}

// The beat comes from a table of the same sums, and is kept for the clock
// value it was asked at: the same beat, to the bit, for every frame of a run
// at 60 fps, at every float on either side of every grid point, and after
// the clock moves back and forth.
TEST(Timeline, BeatIndexIsTheWalkAlongTheGridForEveryTimeTheShowReaches) {
    for (long long n = 0;; ++n) {
        const float t = static_cast<float>(n * 1000.0 / 60.0);
        if (t > static_cast<float>(kPresentationEndMs) + 1000.0f) break;
        at(t);
        ASSERT_EQ(beatIndex(), beatByWalking(t)) << "frame " << n;
    }
    long double grid = beatGrid.originMs;
    for (int k = 0; k < 2000; ++k, grid += beatGrid.periodMs) {
        float t = static_cast<float>(grid);
        for (int i = 0; i < 4; ++i) t = std::nextafter(t, -1.0e9f);
        for (int i = 0; i < 8; ++i, t = std::nextafter(t, 1.0e9f)) {
            at(t);
            ASSERT_EQ(beatIndex(), beatByWalking(t)) << "beat " << k << " at " << t;
            const float pulse = beatPulse200();
            at(t + 1000.0f);
            beatIndex();
            at(t);
            ASSERT_EQ(beatPulse200(), pulse) << "a kept beat for another time, at " << t;
        }
    }
    for (const float t : {-1.0e9f, -0.0f, 1.0e9f, std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()}) {
        at(t);
        EXPECT_EQ(beatIndex(), beatByWalking(t)) << t;
    }
}

TEST(Timeline, PulsesStayInsideZeroToOneOverThePresentation) {
    for (float t = 0.0f; t <= 243200.0f; t += 7.3f) {
        at(t);
        for (float p : {beatPulse200(), trackAPulse500(), trackAPulse2000(), trackBPulse1000(), trackBPulse2000()}) {
            ASSERT_GE(p, 0.0f) << "at " << t;
            ASSERT_LT(p, 1.0f) << "at " << t;
        }
    }
}

}  // namespace
