// --capture in a window: Esc stops it and removes the unfinished video.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <unistd.h>

#include "support/window_keys.h"
#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

ProcessResult afterglow(std::vector<std::string> args, std::vector<std::string> env = {},
                        void (*onRunning)(int, void*) = nullptr) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    ProcessOptions options;
    options.timeoutSec = 120;
    options.workingDir = AFTERGLOW_DATA_DIR;
    options.setEnv = std::move(env);
    return runProcess(args, options, onRunning);
}

// The full path of a program on PATH, or empty.
std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(dir) / name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

TEST(Capture, EscapeStopsAndRemovesTheUnfinishedVideo) {
    if (onPath("ffmpeg").empty()) GTEST_SKIP() << "ffmpeg is needed (scripts/install-deps)";
    TempDir dir;
    const auto video = dir / "whole.mp4";  // all of it would take many minutes
    const ProcessResult r = afterglow({"--capture", video.string()}, {}, pressEscapeOnceShown);
    EXPECT_FALSE(r.timedOut) << "Esc did not stop the capture";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("stopped by Esc"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(video));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a temporary file was left behind";
}

}  // namespace
