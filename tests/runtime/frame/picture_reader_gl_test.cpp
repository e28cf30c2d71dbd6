// PictureReader: pictures read back one frame late are still each frame's
// own, in order, byte for byte what a direct read gives, and every other
// read of the window works as before while a read is pending.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/gl_extensions.h"
#include "runtime/frame/picture_reader.h"
#include "runtime/frame/screenshot.h"
#include "support/gl/gfx_fixture.h"

namespace {

// A frame that differs from its neighbours everywhere, with a gradient that
// tells rows and columns apart.
void drawFrameNumber(int n) {
    clearWindow(0.1f * n, 1.0f - 0.1f * n, 0.5f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(10 * n, 5 * n, 40, 30);
    glClearColor(1.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

TEST(PictureReader, EachFrameComesBackLateButItsOwn) {
    if (!ensurePassEngine()) GTEST_SKIP() << "no display";
    unbindFBO();
    constexpr int kWidth = 1024, kHeight = 768;
    PictureReader reader(kWidth, kHeight);
    std::vector<std::vector<uint8_t>> direct;
    std::vector<std::vector<uint8_t>> late;
    std::vector<uint8_t> pixels;
    for (int n = 0; n < 5; ++n) {
        drawFrameNumber(n);
        direct.emplace_back();
        readPictureRgba(kWidth, kHeight, direct.back());
        reader.start();
        EXPECT_LE(reader.pending(), 2);
        if (reader.pending() == 2) {
            ASSERT_TRUE(reader.take(pixels));
            late.push_back(pixels);
        }
    }
    while (reader.pending() > 0) {
        ASSERT_TRUE(reader.take(pixels));
        late.push_back(pixels);
    }
    EXPECT_FALSE(reader.take(pixels)) << "nothing pending";
    ASSERT_EQ(late.size(), direct.size());
    for (size_t n = 0; n < late.size(); ++n) EXPECT_TRUE(late[n] == direct[n]) << "frame " << n;
    EXPECT_FALSE(direct[0] == direct[1]);
    GLint packBuffer = -1;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    EXPECT_EQ(packBuffer, 0) << "a later glReadPixels would write into the reader's buffer";
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

}  // namespace
