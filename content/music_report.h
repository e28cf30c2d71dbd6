// A look at the music as the program will hear it: the low-band level the
// scenes pulse with, per scene, and a spectrogram with the timeline marked.
//
//   afterglow-content --music-report DIR
//
// writes DIR/music.png and prints the statistics and the loudness.
#pragma once

#include <string>
#include <vector>

// The sum of spectrum bins 2..6 (86-258 Hz: kick and bass) as the program
// computes it each frame, sampled at 60 frames a second over each scene.
struct SceneLowBand {
    int scene;
    double startMs, endMs;
    double mean;
    double p95;  // 95th percentile
};
std::vector<SceneLowBand> lowBandPerScene(const std::vector<float>& stereo, int sampleRate);

// The whole track as a spectrogram (log frequency, 30 Hz - 16 kHz, 10
// columns a second) with scene starts (white), A events (red) and B events
// (yellow) marked and the bins 2..6 sum drawn in green along the bottom
// (full height 1.2, dotted lines at 0.3 and 1).
bool writeSpectrogramPng(const std::string& path, const std::vector<float>& stereo, int sampleRate,
                         std::string& error);

// Renders the score, writes DIR/music.png, prints the per-scene low band
// and the loudness. Returns the process exit code.
int writeMusicReport(const std::string& dir);
