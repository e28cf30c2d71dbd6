// afterglow-content: writes the data folder the program reads.
//
//   afterglow-content OUTDIR
//
// Everything is made from source, deterministically: the same bytes on
// every run.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "mp3_writer.h"
#include "score.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: afterglow-content OUTDIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "afterglow-content: cannot create %s: %s\n", out.c_str(), ec.message().c_str());
        return 1;
    }

    const auto started = std::chrono::steady_clock::now();
    std::fprintf(stderr, "afterglow-content: rendering the music...\n");
    const std::vector<float> music = renderScore();
    std::fprintf(stderr, "afterglow-content: encoding demo.mp3...\n");
    std::string error;
    if (!writeMp3((out / "demo.mp3").string(), music, kMusicSampleRate, 192, error)) {
        std::fprintf(stderr, "afterglow-content: demo.mp3: %s\n", error.c_str());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "afterglow-content: done in %.1f s\n", seconds);
    return 0;
}
