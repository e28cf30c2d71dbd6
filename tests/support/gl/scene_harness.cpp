#include "support/gl/scene_harness.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>

#include "gfx/message_box.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/timeline/clock.h"
#include "runtime/frame/startup.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"
#include "support/fixture_shaders.h"
#include "support/temp_dir.h"

void startUpWithFixtureShaders() {
    TempDir dir;
    writeFixtureShaders(dir.path());
    startUpIn(dir.path());
}

void startUpIn(const std::filesystem::path& dataDir) {
    setMessageBoxesEnabled(false);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dataDir);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    initialize();
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    std::filesystem::current_path(previous);

    static std::array<float, kSpectrumSize> bins;
    bins.fill(0.05f);
    spectrumBins = bins.data();
    while (glGetError() != GL_NO_ERROR) {
    }
}

void runFrameAt(float ms, float deltaMs, bool draw) {
    advanceClock(ms, deltaMs);
    sceneIndex = findSceneIndex();
    if (draw) sceneTable[sceneIndex].render();
    sceneTable[sceneIndex].update();
}

uint64_t pictureBandHash() {
    const int top = letterboxTop();
    const int rows = letterboxBottom() - top;
    std::vector<unsigned char> rgb(static_cast<size_t>(displayWidth) * rows * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, top, displayWidth, rows, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char byte : rgb) hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}
