// MP3 decoding into interleaved stereo float samples, as much as the show plays.
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

// How far a decode has come, for a reader on another thread. When the file
// says its length, the samples land in one buffer reserved for all of it at
// the start: base points at it and its first `frames` frames are final.
// base stays null when the length is unknown, and frames stops growing when
// the decode outgrows the reserve or the format changes; the reader then
// waits for the whole decode. A buffer that was outgrown is kept alive here
// (the whole decode is then a copy), so what a reader holds stays valid
// until it has taken the whole.
struct DecodeProgress {
    std::atomic<const float*> base{nullptr};
    std::atomic<long long> frames{0};
    std::atomic<int> sampleRate{0};
    FloatBuffer outgrown;
};

// Decodes the file, up to a little past the show's end when it is longer.
// On failure `error` says why (the file name is the caller's to add) and
// `samples` is empty; running out of memory is such a failure. Mono is
// duplicated to stereo.
// A file that is not an ordinary one or larger than any music we would
// play is refused before the decoder sees it. Damage or an end before the
// length the file announces keeps what decoded, with `warning` saying so.
// When stop is given and becomes true, the decode gives up within a chunk
// and returns with an error: how a worker thread is ended early. With
// progress, the decode so far is published there as it goes.
DecodedMusic decodeMp3(const std::string& path, const std::atomic<bool>* stop = nullptr,
                       DecodeProgress* progress = nullptr);
