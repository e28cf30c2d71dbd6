// Golden frames: the real program's headless shot at each time listed in
// tests/golden/frames.txt must have exactly the pixels its checksum there
// says. A restructuring passes untouched; a change to what is drawn (a glow
// pass fewer, an offset a quarter wider) fails in the frames it reaches,
// however small the change. Each frame is a test of its own, so CTest
// spreads them over the cores.
//
// The references belong to the data the build generates from content/ (the
// music's spectrum moves the picture), so these tests depend on the data
// target: a change to the generator that changes the data shows here too.
//
// After a change meant to change the picture: scripts/update-golden-frames
// (CONVENTIONS.md, "Golden frames").
#include <gtest/gtest.h>

#include "golden_frames.h"
#include "support/temp_dir.h"

// For the tests' names in CTest's list.
void PrintTo(const GoldenFrame& frame, std::ostream* out) { *out << frame.ms << " ms"; }

namespace {

// Read before the tests are listed, so each frame gets its name; a file
// that does not read gives no frames and fails ReferencesRead.
std::vector<GoldenFrame> listedFrames() {
    std::vector<GoldenFrame> frames;
    std::string error;
    readGoldenFrames(goldenFramesFile(), frames, error);
    return frames;
}

TEST(GoldenFrames, ReferencesRead) {
    std::vector<GoldenFrame> frames;
    std::string error;
    ASSERT_TRUE(readGoldenFrames(goldenFramesFile(), frames, error)) << error;
    EXPECT_GE(frames.size(), 10u) << goldenFramesFile() << " lists too few frames to stand for the show";
}

class GoldenFrameTest : public testing::TestWithParam<GoldenFrame> {};

TEST_P(GoldenFrameTest, MatchesItsReference) {
    const GoldenFrame& frame = GetParam();
    ASSERT_NE(frame.digest, "-") << frame.ms << " ms has no reference yet: run scripts/update-golden-frames";
    TempDir dir;
    const RenderedFrame now = renderGoldenFrame(frame, dir / "shot.png");
    ASSERT_EQ(now.error, "") << now.programErr;
    EXPECT_EQ(now.programErr.find("GL error"), std::string::npos) << now.programErr;
    if (now.digest == frame.digest) {
        keepReferencePicture(frame, now.path);
        return;
    }
    const std::filesystem::path kept = keptReferencePicture(frame);
    const std::filesystem::path different = keepDifferentPicture(frame, now.path);
    std::string compared =
        "no picture of the reference is kept in this build folder to compare with (one is kept each time the frame "
        "matches; the build before the change draws it with: afterglow " +
        std::to_string(frame.width) + " " + std::to_string(frame.height) + " --headless --shot " +
        std::to_string(frame.ms) + " FILE)";
    if (!kept.empty())
        compared = "against the reference kept as " + kept.string() + ": " + describeDifference(kept, now.path);
    ADD_FAILURE() << "the frame at " << frame.ms << " ms (" << frame.what << ") differs from its reference\n"
                  << "  pixels now   " << now.digest << "\n"
                  << "  reference    " << frame.digest << "\n"
                  << "  " << compared << "\n"
                  << "  the picture drawn now is kept as "
                  << (different.empty() ? "nothing (it could not be copied)" : different.string()) << "\n"
                  << "  if the change was meant to change the picture: scripts/update-golden-frames";
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenFrameTest, testing::ValuesIn(listedFrames()),
                         [](const testing::TestParamInfo<GoldenFrame>& info) { return info.param.name(); });

}  // namespace
