#include "mp3_writer.h"

#include <lame/lame.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <memory>

namespace {

struct LameCloser {
    void operator()(lame_global_flags* gf) const { lame_close(gf); }
};
struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};

}  // namespace

bool writeMp3(const std::string& path, const std::vector<float>& stereo, int sampleRate, int kbps,
              std::string& error) {
    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame) {
        error = "cannot start the MP3 encoder";
        return false;
    }
    lame_global_flags* gf = lame.get();
    lame_set_in_samplerate(gf, sampleRate);
    lame_set_out_samplerate(gf, sampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_brate(gf, kbps);
    lame_set_quality(gf, 5);
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        error = "the MP3 encoder refused its settings";
        return false;
    }

    const std::string temp = path + ".partial";
    std::unique_ptr<FILE, FileCloser> file(std::fopen(temp.c_str(), "w+b"));
    if (!file) {
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    auto fail = [&](const std::string& why) {
        file.reset();
        std::remove(temp.c_str());
        error = why;
        return false;
    };

    const int frames = static_cast<int>(stereo.size() / 2);
    constexpr int kChunk = 8192;
    std::vector<unsigned char> out(static_cast<size_t>(1.25 * kChunk + 7200));
    for (int start = 0; start < frames; start += kChunk) {
        const int n = std::min(kChunk, frames - start);
        const int bytes = lame_encode_buffer_interleaved_ieee_float(gf, stereo.data() + 2 * start, n, out.data(),
                                                                    static_cast<int>(out.size()));
        if (bytes < 0) return fail("MP3 encoding failed (code " + std::to_string(bytes) + ")");
        if (std::fwrite(out.data(), 1, bytes, file.get()) != static_cast<size_t>(bytes))
            return fail(temp + ": " + std::strerror(errno));
    }
    const int tail = lame_encode_flush(gf, out.data(), static_cast<int>(out.size()));
    if (tail < 0) return fail("MP3 encoding failed at the end");
    if (std::fwrite(out.data(), 1, tail, file.get()) != static_cast<size_t>(tail))
        return fail(temp + ": " + std::strerror(errno));

    // The Info tag can only be written once the whole stream is known: it
    // replaces the placeholder first frame.
    std::vector<unsigned char> tag(8192);
    const size_t tagBytes = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (tagBytes > 0) {
        if (std::fseek(file.get(), 0, SEEK_SET) != 0 ||
            std::fwrite(tag.data(), 1, tagBytes, file.get()) != tagBytes)
            return fail(temp + ": cannot write the Info tag");
    }
    if (std::fclose(file.release()) != 0) {
        std::remove(temp.c_str());
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
