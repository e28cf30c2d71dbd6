// MP3 encoding through libmp3lame, with the LAME/Info tag written into the
// first frame so decoders know the exact length and start of the audio.
#pragma once

#include <string>
#include <vector>

// Encodes interleaved stereo float samples (-1..1) at sampleRate into path.
// Writes to a temporary file and renames it, so a failed run leaves no
// half-written file. Returns false with the reason in error.
bool writeMp3(const std::string& path, const std::vector<float>& stereo, int sampleRate, int kbps,
              std::string& error);
