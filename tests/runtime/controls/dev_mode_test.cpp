// Where Page Up and Page Down land: inside the scene they name (a scene's
// start time itself still shows the scene before), and from a landing one
// scene further on each press.
#include <gtest/gtest.h>

#include "runtime/controls/dev_mode.h"
#include "runtime/timeline/timeline.h"

namespace {

TEST(DevMode, PageKeysLandOnTheFirstMillisecondOfAScene) {
    EXPECT_EQ(nextSceneLandingMs(0.0), 29001.0);
    EXPECT_EQ(nextSceneLandingMs(29000.0), 29001.0) << "the last frame of scene 0";
    EXPECT_EQ(nextSceneLandingMs(29001.0), 51001.0);
    EXPECT_EQ(previousSceneLandingMs(52000.0), 51001.0);
    EXPECT_EQ(previousSceneLandingMs(51001.0), 29001.0);
    EXPECT_EQ(previousSceneLandingMs(29001.0), 0.0);
    EXPECT_EQ(previousSceneLandingMs(0.0), 0.0);
    EXPECT_EQ(nextSceneLandingMs(240000.0), 240000.0) << "past the last scene's start";
    for (int k = 0; k < kSceneCount; ++k) {
        const double landing = k == 0 ? 0.0 : nextSceneLandingMs(sceneStartMs[k] - 1.0);
        EXPECT_EQ(sceneIndexAt(static_cast<float>(landing)), k) << landing;
    }
}

}  // namespace
