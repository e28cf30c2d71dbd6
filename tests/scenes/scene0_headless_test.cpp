// Scene 0 through the real program: the opening fade without the logo, the
// dip to black as the field appears, the flight's trail, the glow mixed in
// at its end.
// Each probe is loose enough for changes of content but fails on a missing
// pass, a wrong camera or a wrong fade.
#include <gtest/gtest.h>

#include "support/shot_probe.h"

namespace {

TEST(OpeningFlight, StartsWhiteWithoutTheLogo) {
    const RgbImage image = shotAt(0);
    ASSERT_EQ(image.width, 1024);
    EXPECT_GT(meanLevel(image, kBand), 240.0);
    // The logo's corner: lower left of the band, black where it shows.
    const int dark = countPixels(image, {0, kBandBottom - 512, 512, kBandBottom},
                                 [](int r, int g, int b) { return r + g + b < 300; });
    EXPECT_EQ(dark, 0);
}

TEST(OpeningFlight, FieldAppearsBehindAVeilThenFliesWithATrail) {
    const double veiled = meanLevel(shotAt(6750), kBand);
    const double open = meanLevel(shotAt(7000), kBand);
    EXPECT_GT(open, 20.0) << "the field and sky are drawn";
    EXPECT_LT(veiled, 0.7 * open) << "half black over the field at 6750 ms";

    const RgbImage flight = shotAt(20000);
    const int trail = countPixels(flight, kBand, [](int r, int, int b) { return r > 180 && r > b + 80; });
    EXPECT_GT(trail, 2000) << "the orange trail along the flight path";
    const int tiles = countPixels(flight, kBand, [](int r, int g, int b) { return b > 120 && g > r + 30; });
    EXPECT_GT(tiles, 20000) << "the blue-green field under the camera";
}

TEST(OpeningFlight, LastSecondMixesInTheGlowImage) {
    const double sharp = detail(shotAt(27900));
    const double halfBlurred = detail(shotAt(28500));
    EXPECT_LT(halfBlurred, 0.75 * sharp);
    EXPECT_GT(halfBlurred, 0.3 * sharp) << "at half strength, not yet the whole glow";
}

}  // namespace
