#include "runtime/audio/mp3_decode.h"

#include <mpg123.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "assets/data_file.h"
#include "runtime/timeline/timeline.h"

namespace {

// The show ends at kPresentationEndMs whatever the track's length: a longer
// file is decoded up to a little past it (the spectrum of the last frame
// and a seek there need no more), so it costs no more memory than ours.
constexpr double kDecodedPastTheEndMs = 2000.0;

long long framesToDecode(long rate) {
    return static_cast<long long>((kPresentationEndMs + kDecodedPastTheEndMs) * static_cast<double>(rate) / 1000.0);
}

struct HandleCloser {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

// The decoder leaves a descriptor it was given open.
struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

// Encoders pad and trim a frame or two at the ends.
constexpr long long kLengthSlackFrames = 2 * 1152;

std::string seconds(long long frames, long rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", rate > 0 ? static_cast<double>(frames) / rate : 0.0);
    return text;
}

// The decoder on an open file, asked for float samples at any rate it
// knows, mono or stereo. Without a handle, error says why.
struct OpenedStream {
    std::unique_ptr<mpg123_handle, HandleCloser> handle;
    long rate = 0;
    int channels = 0;
};

OpenedStream openStream(int fd, std::string& error) {
    OpenedStream stream;
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleCloser> handle(mpg123_new(nullptr, &err));
    if (!handle) {
        error = mpg123_plain_strerror(err);
        return stream;
    }
    mpg123_handle* mh = handle.get();
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);

    if (mpg123_open_fd(mh, fd) != MPG123_OK) {
        error = mpg123_strerror(mh);
        return stream;
    }
    int encoding = 0;
    if (mpg123_getformat(mh, &stream.rate, &stream.channels, &encoding) != MPG123_OK) {
        error = std::string("not an MP3 stream (") + mpg123_strerror(mh) + ")";
        return stream;
    }
    stream.handle = std::move(handle);
    return stream;
}

// Where the decoded samples land, as stereo: when the file says its length,
// in music.samples reserved for all of it, published to a reader as they
// come. Past the reserve they go to a buffer of their own, since the
// published one must never move, and finish() joins the two.
class SampleSink {
public:
    SampleSink(DecodedMusic& music, long long expected, long rate, DecodeProgress* progress)
        : music_(music), progress_(progress) {
        if (expected <= 0) return;
        music_.samples.reserve((static_cast<size_t>(expected) + kLengthSlackFrames) * 2);
        if (!progress_) return;
        progress_->sampleRate.store(static_cast<int>(rate));
        progress_->base.store(music_.samples.data(), std::memory_order_release);
        published_ = true;
    }

    // count floats of channels interleaved channels; mono is doubled.
    void append(const float* values, size_t count, int channels) {
        const size_t adding = channels == 2 ? count : 2 * count;
        if (published_ && music_.samples.size() + adding > music_.samples.capacity()) diverted_ = true;
        FloatBuffer& target = diverted_ ? rest_ : music_.samples;
        if (channels == 2) {
            target.insert(target.end(), values, values + count);
        } else {
            for (size_t i = 0; i < count; ++i) {
                target.push_back(values[i]);
                target.push_back(values[i]);
            }
        }
        if (published_ && !diverted_ && !formatChanged_)
            progress_->frames.store(music_.frames(), std::memory_order_release);
    }

    // What is published so far was read at the old format: it stops growing.
    void formatChanged() { formatChanged_ = true; }

    long long frames() const { return music_.frames() + static_cast<long long>(rest_.size() / 2); }

    void finish() {
        if (rest_.empty()) return;
        // Outgrown: the whole in a buffer of its own, the published one kept
        // for whoever still reads it.
        FloatBuffer whole;
        whole.reserve(music_.samples.size() + rest_.size());
        whole.insert(whole.end(), music_.samples.begin(), music_.samples.end());
        whole.insert(whole.end(), rest_.begin(), rest_.end());
        if (progress_) progress_->outgrown = std::move(music_.samples);
        music_.samples = std::move(whole);
    }

private:
    DecodedMusic& music_;
    DecodeProgress* progress_;
    FloatBuffer rest_;
    bool published_ = false;  // a reader may hold music.samples' buffer
    bool diverted_ = false;   // the reserve is full: the rest goes to rest_
    bool formatChanged_ = false;
};

// decodeMp3 but for running out of memory, which throws.
// needBytes: the memory the samples will take, once it is known.
void decodeInto(DecodedMusic& music, int fd, const std::atomic<bool>* stop, DecodeProgress* progress,
                long long& needBytes) {
    OpenedStream stream = openStream(fd, music.error);
    if (!stream.handle) return;
    mpg123_handle* mh = stream.handle.get();
    // What the file announces, as far as the show goes.
    const off_t announced = mpg123_length(mh);
    const long long wanted = framesToDecode(stream.rate);
    needBytes = wanted * 2 * static_cast<long long>(sizeof(float));
    const long long expected = announced > 0 ? std::min<long long>(announced, wanted) : 0;
    SampleSink sink(music, expected, stream.rate, progress);

    std::vector<float> chunk(16384);
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            music.samples.clear();
            music.error = "the decode was stopped";
            return;
        }
        size_t bytes = 0;
        const int rc = mpg123_read(mh, reinterpret_cast<unsigned char*>(chunk.data()), chunk.size() * sizeof(float), &bytes);
        // Up to the show's end and no further, so the reserve is never outgrown.
        const size_t values = bytes / sizeof(float);
        const auto room =
            static_cast<size_t>(std::max(0LL, framesToDecode(stream.rate) - sink.frames()) * stream.channels);
        sink.append(chunk.data(), std::min(values, room), stream.channels);
        if (rc == MPG123_DONE || values >= room) break;
        if (rc == MPG123_NEW_FORMAT) {
            int encoding = 0;
            mpg123_getformat(mh, &stream.rate, &stream.channels, &encoding);
            sink.formatChanged();
            continue;
        }
        if (rc != MPG123_OK) {
            // Damage past a good start: keep what decoded, like a player would.
            if (music.samples.empty()) {
                music.error = mpg123_strerror(mh);
                return;
            }
            music.warning = std::string("damaged after ") + seconds(sink.frames(), stream.rate) + " (" +
                            mpg123_strerror(mh) + "); the rest is silent";
            break;
        }
    }
    sink.finish();
    if (music.samples.empty()) {
        music.error = "no audio frames in the file";
        return;
    }
    music.sampleRate = static_cast<int>(stream.rate);
    if (music.warning.empty() && expected > 0 && music.frames() + kLengthSlackFrames < expected)
        music.warning = "the music ends after " + seconds(music.frames(), stream.rate) + " of the " +
                        seconds(announced, stream.rate) +
                        " its header announces (the file is cut short, or its header wrong); the rest is silent";
}

}  // namespace

DecodedMusic decodeMp3(const std::string& path, const std::atomic<bool>* stop, DecodeProgress* progress) {
    DecodedMusic music;
    DataRead opened;
    const FdCloser file{openDataFile(path.c_str(), DataKind::Music, opened)};
    if (file.fd < 0) {
        music.error = opened.problem;
        return music;
    }
    if (::lseek(file.fd, 0, SEEK_END) == 0) {
        music.error = "is empty";
        return music;
    }
    ::lseek(file.fd, 0, SEEK_SET);
    long long needBytes = 0;
    try {
        decodeInto(music, file.fd, stop, progress, needBytes);
    } catch (const std::bad_alloc&) {
        // clear() keeps the buffer a reader may still be playing from: it
        // goes with the result.
        music.samples.clear();
        music.warning.clear();
        music.error = needBytes > 0 ? "not enough memory for its " + std::to_string(needBytes >> 20) + " MiB of samples"
                                    : std::string("not enough memory to decode it");
    }
    return music;
}
