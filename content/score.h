// The music, rendered as interleaved stereo float samples.
#pragma once

#include <vector>

constexpr int kMusicSampleRate = 44100;
constexpr double kMusicLengthMs = 245000.0;

std::vector<float> renderScore();
