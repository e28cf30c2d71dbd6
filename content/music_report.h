// A look at the music as the program will hear it: the low-band level the
// scenes pulse with, the loudness and the attack on every sync event, per
// scene, and a spectrogram with the timeline marked.
//
//   afterglow-content --music-report DIR
//
// writes DIR/music.png and prints the statistics and the loudness.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "synth/effects.h"

// The sum of spectrum bins 2..6 (86-258 Hz: kick and bass) as the program
// computes it each frame, sampled at 60 frames a second over each scene.
struct SceneLowBand {
    int scene;
    double startMs, endMs;
    double mean;
    double p95;  // 95th percentile
};
std::vector<SceneLowBand> lowBandPerScene(std::span<const float> stereo, int sampleRate);

// Each scene's loudness: integrated over the scene, and the median of the
// short-term (3 s) loudness over the windows that lie wholly inside it.
struct SceneLoudness {
    int scene;
    double integrated;       // LUFS
    double shortTermMedian;  // LUFS
};
struct MusicLoudness {
    double integrated;  // LUFS, the whole track
    synth::LoudnessRange range;
    std::vector<SceneLoudness> scenes;
    // The short-term median over the windows of the peak scenes 3, 8 and 9
    // together: the level the lighter scenes are measured against.
    double peakMedian;
};
// The stereo samples at the synthesiser's rate (kMusicSampleRate).
MusicLoudness measureLoudness(std::span<const float> stereo);

// The attack on a sync event, as the ear takes it in a dense mix: the mono
// mix at 22.05 kHz, its first difference (which brings out crashes and
// impacts over pads and bass), and how many dB its RMS over the 60 ms from
// the event lies above its RMS over the 100 ms ending 20 ms before it. A
// hit heard as one rises by kHitDb or more; an accent buried in what plays
// around it, or a swell that runs into the event, does not.
constexpr double kHitDb = 6.0;
struct EventAttack {
    char table;  // 'A' or 'B'
    int ms;
    double riseDb;
};
// Every event of both tables the presentation reaches, in table order (an
// event in both tables is listed in each). sampleRate must be a whole
// multiple of 22050 (the synthesiser's and the MP3's 44100 are); any other
// rate gives an empty list.
std::vector<EventAttack> eventAttacks(std::span<const float> stereo, int sampleRate);

// The whole track as a spectrogram (log frequency, 30 Hz - 16 kHz, 10
// columns a second) with scene starts (white), A events (red) and B events
// (yellow) marked and the bins 2..6 sum drawn in green along the bottom
// (full height 1.2, dotted lines at 0.3 and 1).
bool writeSpectrogramPng(const std::string& path, std::span<const float> stereo, int sampleRate,
                         std::string& error);

// Renders the score, writes DIR/music.png, prints the per-scene low band,
// the loudness and every event's rise as a hit. Returns the process exit
// code.
int writeMusicReport(const std::string& dir);
