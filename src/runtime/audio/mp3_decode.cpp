#include "runtime/audio/mp3_decode.h"

#include <mpg123.h>

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "assets/data_file.h"

namespace {

// Far longer than any track we ship; a bigger file is treated as damaged
// rather than allowed to take gigabytes of memory.
constexpr long long kMaxFrames = 48000LL * 60 * 30;

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

    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleCloser> handle(mpg123_new(nullptr, &err));
    if (!handle) {
        music.error = mpg123_plain_strerror(err);
        return music;
    }
    mpg123_handle* mh = handle.get();
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);

    if (mpg123_open_fd(mh, file.fd) != MPG123_OK) {
        music.error = mpg123_strerror(mh);
        return music;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) {
        music.error = std::string("not an MP3 stream (") + mpg123_strerror(mh) + ")";
        return music;
    }
    const off_t expected = mpg123_length(mh);
    // Decoding past the reserve while a reader streams from it goes on in
    // rest instead: the published buffer must never move.
    FloatBuffer rest;
    bool published = false;  // a reader may hold music.samples' buffer
    bool diverted = false;   // the reserve is full: the rest goes to rest
    bool formatChanged = false;
    if (expected > 0 && expected <= kMaxFrames) {
        music.samples.reserve((static_cast<size_t>(expected) + kLengthSlackFrames) * 2);
        if (progress) {
            progress->sampleRate.store(static_cast<int>(rate));
            progress->base.store(music.samples.data(), std::memory_order_release);
            published = true;
        }
    }

    std::vector<float> chunk(16384);
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            music.samples.clear();
            music.error = "the decode was stopped";
            return music;
        }
        size_t bytes = 0;
        const int rc = mpg123_read(mh, reinterpret_cast<unsigned char*>(chunk.data()), chunk.size() * sizeof(float), &bytes);
        const size_t values = bytes / sizeof(float);
        const size_t adding = channels == 2 ? values : 2 * values;  // floats, once mono is doubled
        if (published && music.samples.size() + adding > music.samples.capacity()) diverted = true;
        FloatBuffer& target = diverted ? rest : music.samples;
        if (channels == 2) {
            target.insert(target.end(), chunk.begin(), chunk.begin() + values);
        } else {
            for (size_t i = 0; i < values; ++i) {
                target.push_back(chunk[i]);
                target.push_back(chunk[i]);
            }
        }
        if (published && !diverted && !formatChanged) progress->frames.store(music.frames(), std::memory_order_release);
        if (music.frames() + static_cast<long long>(rest.size() / 2) > kMaxFrames) {
            music.samples.clear();
            music.error = "longer than 30 minutes; refusing to decode it";
            return music;
        }
        if (rc == MPG123_DONE) break;
        if (rc == MPG123_NEW_FORMAT) {
            mpg123_getformat(mh, &rate, &channels, &encoding);
            formatChanged = true;  // what is published was read at the old rate
            continue;
        }
        if (rc != MPG123_OK) {
            // Damage past a good start: keep what decoded, like a player would.
            if (music.samples.empty()) {
                music.error = mpg123_strerror(mh);
                return music;
            }
            const long long decoded = music.frames() + static_cast<long long>(rest.size() / 2);
            music.warning = std::string("damaged after ") + seconds(decoded, rate) + " (" + mpg123_strerror(mh) +
                            "); the rest is silent";
            break;
        }
    }
    if (!rest.empty()) {
        // Outgrown: the whole in a buffer of its own, the published one kept
        // for whoever still reads it.
        FloatBuffer whole;
        whole.reserve(music.samples.size() + rest.size());
        whole.insert(whole.end(), music.samples.begin(), music.samples.end());
        whole.insert(whole.end(), rest.begin(), rest.end());
        if (progress) progress->outgrown = std::move(music.samples);
        music.samples = std::move(whole);
    }
    if (music.samples.empty()) {
        music.error = "no audio frames in the file";
        return music;
    }
    music.sampleRate = static_cast<int>(rate);
    if (music.warning.empty() && expected > 0 && music.frames() + kLengthSlackFrames < expected)
        music.warning = "the music ends after " + seconds(music.frames(), rate) + " of the " + seconds(expected, rate) +
                        " its header announces (the file is cut short, or its header wrong); the rest is silent";
    return music;
}
