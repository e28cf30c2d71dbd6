#include "gl/scene_harness.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "gfx/message_box.h"
#include "runtime/music.h"
#include "runtime/startup.h"
#include "runtime/timeline.h"
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
    previousTimeMs = musicTimeMs;
    musicTimeMs = ms;
    frameDeltaMs = deltaMs;
    sceneIndex = findSceneIndex();
    sceneTable[sceneIndex].update();
    if (draw) sceneTable[sceneIndex].render();
}
