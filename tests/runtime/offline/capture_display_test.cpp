// --capture in a window: Esc stops it and removes the unfinished video.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/video_probe.h"
#include "support/window_keys.h"

namespace {

TEST(Capture, EscapeStopsAndRemovesTheUnfinishedVideo) {
    if (onPath("ffmpeg").empty()) GTEST_SKIP() << kVideoToolsNeeded;
    TempDir dir;
    const auto video = dir / "whole.mp4";  // all of it would take many minutes
    const ProcessResult r = runAfterglow({"--capture", video.string()}, {}, pressEscapeOnceShown);
    EXPECT_FALSE(r.timedOut) << "Esc did not stop the capture";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("stopped by Esc"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(video));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a temporary file was left behind";
}

}  // namespace
