// scripts/render-farm: a capture rendered as parts by GNU parallel and
// joined is, frame for frame, the capture made in one piece.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/video_probe.h"

namespace {

// Across the cut between the first two scenes, so the second part starts
// in another scene than the whole run, with its particles under way.
const std::vector<std::string> kSpan = {"512", "512", "--fps", "10", "--from", "28700", "--to", "29700", "--crf", "0"};

ProcessResult renderFarm(std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(AFTERGLOW_SCRIPTS) + "/render-farm", "--program", AFTERGLOW_BINARY});
    args.insert(args.end(), kSpan.begin(), kSpan.end());
    ProcessOptions options;
    options.timeoutSec = 240;
    return runProcess(args, options);
}

TEST(RenderFarm, TwoPartsJoinedAreTheCaptureInOnePiece) {
    if (!videoToolsInstalled() || onPath("parallel").empty())
        GTEST_SKIP() << "ffmpeg, ffprobe and GNU parallel are needed (scripts/install-deps)";
    TempDir dir;
    const auto whole = dir / "whole.mp4", farmed = dir / "farmed.mp4";
    std::vector<std::string> args = {"--capture", whole.string()};
    args.insert(args.end(), kSpan.begin(), kSpan.end());
    ProcessResult r = runAfterglow(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;

    r = renderFarm({"--jobs", "2", "--parts", "2", "--keep-parts", farmed.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("part 2/2\tafterglow: 100%"), std::string::npos) << "each part's lines, tagged: " << r.err;
    const std::vector<std::string> pictures = frameHashes(whole, "v");
    ASSERT_EQ(pictures.size(), 10u);
    EXPECT_EQ(frameHashes(farmed, "v"), pictures);
    EXPECT_EQ(frameHashes(farmed, "a"), frameHashes(whole, "a"));

    // A part that is there is done: after a failure only the missing ones
    // are rendered again. Without --keep-parts the folder goes at the end.
    const auto parts = dir / "farmed.mp4.parts";
    ASSERT_TRUE(std::filesystem::remove(parts / "part-2-of-2.mp4"));
    r = renderFarm({"--jobs", "2", "--parts", "2", farmed.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("rendering 1 of 2 parts"), std::string::npos) << r.err;
    EXPECT_EQ(frameHashes(farmed, "v"), pictures);
    EXPECT_FALSE(std::filesystem::exists(parts));
}

}  // namespace
