// Running the program's start-up and scenes inside a GL test: the real
// initialize() in a scratch folder that holds only fixture shaders (so every
// model and image is missing), then frames at chosen music times.
#pragma once

#include <cstdint>
#include <filesystem>

// Runs initialize() in dataDir with message boxes off and its console
// output swallowed; the working directory is restored afterwards. Leaves a
// flat spectrum in spectrumBins and no pending GL error.
void startUpIn(const std::filesystem::path& dataDir);

// startUpIn a scratch folder that holds only fixture shaders.
void startUpWithFixtureShaders();

// One frame at music time ms after a frame of deltaMs, in the frame loop's
// order: clock, scene index, the scene's render when draw is true, then its
// update.
void runFrameAt(float ms, float deltaMs, bool draw);

// A hash of the picture band of the window's back buffer: no frame clears
// the window, and the bars that cover the rest are not drawn here.
uint64_t pictureBandHash();
