// Scene 3 through the real program: the letters show through the sheets.
// Each probe is loose enough for changes of content but fails on a missing
// pass, a wrong camera or a wrong fade.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/shot_probe.h"

namespace {

TEST(CloudTunnel, LetterCopiesShowThroughTheSheets) {
    // The first shot, a rolling one and an orbiting one (the last shot lasts
    // 1.4 s and looks up past the copies). The polished letters are the only
    // bright, nearly grey pixels: the sheets are warm and the sky is blue.
    for (int ms : {59400, 74400, 81400}) {
        const int chrome = countPixels(shotAt(ms), kBand, [](int r, int g, int b) {
            return std::min({r, g, b}) > 110 && std::max({r, g, b}) - std::min({r, g, b}) < 40;
        });
        EXPECT_GT(chrome, 0.015 * 1024 * (kBandBottom - kBandTop)) << "at " << ms << " ms";
    }
}

}  // namespace
