// The loading bar in the window: where it lies, how much of it is filled,
// that the state it finds does not matter to it and is left as it was, and
// that the window is black again once loading is over.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "gfx/engine.h"
#include "support/gl/gfx_fixture.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/loading_bar.h"

namespace {

#define REQUIRE_ENGINE() \
    if (!ensurePassEngine()) GTEST_SKIP() << "no display"

void expectNear(const Rgb& got, const Rgb& want, const char* where) {
    EXPECT_LE(std::abs(got.r - want.r), 1) << where << ": " << got.r << " " << got.g << " " << got.b;
    EXPECT_LE(std::abs(got.g - want.g), 1) << where << ": " << got.r << " " << got.g << " " << got.b;
    EXPECT_LE(std::abs(got.b - want.b), 1) << where << ": " << got.r << " " << got.g << " " << got.b;
}

const Rgb kBlack{0, 0, 0};
const Rgb kTrack{31, 31, 31};
const Rgb kFill{217, 153, 77};

void useDisplay(int width, int height) {
    windowWidth = displayWidth = width;
    windowHeight = displayHeight = height;
}

TEST(LoadingBar, FillsItsShareOfATrackAcrossTheMiddleOfThePictureWhateverStateItFinds) {
    REQUIRE_ENGINE();
    useDisplay(1024, 768);
    unbindFBO();
    // What a loader might leave behind: none of it may show in the bar, and
    // all of it must be there again afterwards.
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(1, 2, 3, 4);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    glDrawBuffer(GL_FRONT);
    while (glGetError() != GL_NO_ERROR) {
    }

    drawLoadingBar(7, 28);  // a quarter of the track
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});

    std::array<GLfloat, 4> clear{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, (std::array<GLfloat, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    std::array<GLint, 4> box{};
    glGetIntegerv(GL_SCISSOR_BOX, box.data());
    EXPECT_EQ(box, (std::array<GLint, 4>{1, 2, 3, 4}));
    std::array<GLboolean, 4> mask{};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask.data());
    EXPECT_EQ(mask, (std::array<GLboolean, 4>{GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE}));
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_FRONT);
    EXPECT_TRUE(glIsEnabled(GL_DITHER));
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDrawBuffer(GL_BACK);

    // The picture band is rows 96..671; its middle, row 384, holds a bar of
    // 576 / 144 = 4 rows, half the width across, centred.
    const WindowImage w = readWindow();
    expectNear(w.at(256, 382), kFill, "left end, top row");
    expectNear(w.at(383, 385), kFill, "end of the filled quarter, bottom row");
    expectNear(w.at(384, 383), kTrack, "start of the unfilled track");
    expectNear(w.at(767, 384), kTrack, "right end");
    expectNear(w.at(255, 383), kBlack, "left of the bar");
    expectNear(w.at(768, 383), kBlack, "right of the bar");
    expectNear(w.at(300, 381), kBlack, "above the bar");
    expectNear(w.at(300, 386), kBlack, "below the bar");
    expectNear(w.at(10, 10), kBlack, "the window around it is cleared");

    drawLoadingBar(28, 28);
    expectNear(readWindow().at(767, 384), kFill, "all steps done: filled to the end");
    drawLoadingBar(0, 28);
    expectNear(readWindow().at(256, 384), kTrack, "no step done: nothing filled");
}

TEST(LoadingBar, StaysInsideTheWindowWhenThePictureOverhangsIt) {
    REQUIRE_ENGINE();
    // Wider than 16:9: the bars fall outside the window and the band is the
    // whole window, 768 rows, so the bar has 5 rows ending by row 386.
    useDisplay(1024, 768);
    displayHeight = 300;
    unbindFBO();
    drawLoadingBar(28, 28);
    const WindowImage w = readWindow();
    expectNear(w.at(512, 381), kFill, "top row");
    expectNear(w.at(512, 385), kFill, "bottom row");
    expectNear(w.at(512, 380), kBlack, "above");
    expectNear(w.at(512, 386), kBlack, "below");
    useDisplay(1024, 768);
}

TEST(LoadingBar, FinishingLeavesTheWindowBlackForTheFirstFrame) {
    REQUIRE_ENGINE();
    useDisplay(1024, 768);
    unbindFBO();
    drawLoadingBar(20, 28);
    LoadingBar(28).finish();
    const WindowImage w = readWindow();
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{256, 384}, {700, 384}, {0, 0}, {1023, 767}})
        expectNear(w.at(x, y), kBlack, "after finish");
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
