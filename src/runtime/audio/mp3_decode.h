// Whole-file MP3 decoding into interleaved stereo float samples.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "assets/byte_buffer.h"

struct DecodedMusic {
    FloatBuffer samples;  // interleaved left/right; on huge pages
    int sampleRate = 0;
    std::string error;    // empty on success
    std::string warning;  // decoded, but less than the file promised

    long long frames() const { return static_cast<long long>(samples.size() / 2); }
    double lengthMs() const { return sampleRate ? frames() * 1000.0 / sampleRate : 0.0; }
};

// Decodes the whole file. On failure `error` says why (the file name is the
// caller's to add) and `samples` is empty. Mono is duplicated to stereo.
// A file that is not an ordinary one or larger than any music we would
// play is refused before the decoder sees it. Damage or an end before the
// length the file announces keeps what decoded, with `warning` saying so.
// When stop is given and becomes true, the decode gives up within a chunk
// and returns with an error: how a worker thread is ended early.
DecodedMusic decodeMp3(const std::string& path, const std::atomic<bool>* stop = nullptr);
