// Where the picture lands in a window of another size: whole, undistorted,
// centred, and filling the window where the shapes agree.
#include <gtest/gtest.h>

#include "gfx/picture_fit.h"

namespace {

TEST(PictureFit, WholeUndistortedAndCentredInAnyWindow) {
    struct Case {
        int pictureW, pictureH, windowW, windowH;
        FitRect expected;
    };
    for (const Case& c : {
             Case{1024, 768, 1024, 768, {0, 0, 1024, 768}},    // the same size: nothing moves
             Case{1024, 768, 2048, 1536, {0, 0, 2048, 1536}},  // the same shape, larger: no seam
             Case{800, 600, 1000, 500, {167, 0, 666, 500}},    // wider window: black at the sides
             Case{800, 600, 600, 900, {0, 225, 600, 450}},     // taller window: black above and below
             Case{1920, 1080, 1280, 1024, {0, 152, 1280, 720}},
             Case{1280, 1024, 1, 1, {0, 0, 1, 0}},              // a window too small to show anything
         }) {
        const FitRect r = fitPicture(c.pictureW, c.pictureH, c.windowW, c.windowH);
        SCOPED_TRACE(std::to_string(c.pictureW) + "x" + std::to_string(c.pictureH) + " in " +
                     std::to_string(c.windowW) + "x" + std::to_string(c.windowH));
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.width, c.expected.width);
        EXPECT_EQ(r.height, c.expected.height);
    }
}

}  // namespace
