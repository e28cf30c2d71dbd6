// Scene 2: rising through the cloud layers: the sheets and the end in white.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene2.h"
#include "support/music_time.h"

namespace {

TEST(Clouds, SheetsSinkFromTheirIndexAndTheEndTurnsWhite) {
    for (int i : {0, 1, 99}) EXPECT_EQ(cloudSheetHeight(i, 0), static_cast<float>(i));
    const float length = sceneEnd(2) - sceneStart(2);  // 7300 ms
    EXPECT_NEAR(cloudSheetHeight(0, length), -146.0f, 1e-3f);
    EXPECT_NEAR(cloudSheetHeight(99, length), -47.0f, 1e-3f);

    EXPECT_EQ(cloudClearGrey(sceneEnd(2) - 2000, sceneEnd(2)), 0.0f);
    EXPECT_FLOAT_EQ(cloudClearGrey(sceneEnd(2) - 1000, sceneEnd(2)), 0.5f);
    EXPECT_NEAR(cloudClearGrey(58299, sceneEnd(2)), 0.9995f, 1e-5f);
    EXPECT_FALSE(closingAlpha(kCloudsFadeOut, sceneEnd(2) - 1000, sceneEnd(2))) << "the white overlay starts after d = 1000";
    EXPECT_NEAR(*closingAlpha(kCloudsFadeOut, 58299, sceneEnd(2)), 0.999f, 1e-5f);
    EXPECT_EQ(kCloudsFadeOut.colour.g, 1.0f);
}

}  // namespace
