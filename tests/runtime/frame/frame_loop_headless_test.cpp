// The unseen frames playback draws, before the music starts and between
// the first frames shown (warmUpFrames and warmUpLaterScenes, which the
// offline runs draw too with AFTERGLOW_WARM_UP=1: before the first frame
// and after each) change nothing the frames after them show: the same
// frames to the last bit, across a scene change and in a scene full of
// particles, and no GL error.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

std::string framesOf(const std::string& fromMs, const std::string& toMs, bool warmUp, const TempDir& dir) {
    const std::string folder = (dir / (fromMs + (warmUp ? "-warm" : "-cold"))).string();
    ProcessOptions options;
    options.workingDir = AFTERGLOW_DATA_DIR;
    options.setEnv = {"AFTERGLOW_GL_CHECKS=1", std::string("AFTERGLOW_WARM_UP=") + (warmUp ? "1" : "0")};
    const ProcessResult r = runProcess(
        {AFTERGLOW_BINARY, "--frames", folder, "--from", fromMs, "--to", toMs, "--fps", "20"}, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("GL error"), std::string::npos) << r.err;
    std::string all;
    for (const char* name : {"frame000000.png", "frame000001.png"}) {
        const std::string bytes = fileContents(std::filesystem::path(folder) / name);
        EXPECT_FALSE(bytes.empty()) << folder << "/" << name;
        all += bytes;
    }
    return all;
}

TEST(WarmUpFrames, TheFramesAfterThemAreTheFramesWithoutThem) {
    TempDir dir;
    // The first scene's last frame and the second's first; then particles.
    for (const auto& [from, to] : {std::pair{"28950", "29050"}, std::pair{"95000", "95100"}})
        EXPECT_TRUE(framesOf(from, to, true, dir) == framesOf(from, to, false, dir)) << "from " << from << " ms";
}

}  // namespace
