// afterglow-content: writes the data folder the program reads.
//
//   afterglow-content OUTDIR
//   afterglow-content --music-report DIR   (spectrogram and statistics of the music)
//
// Everything is made from source, deterministically: the same bytes on
// every run.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "mp3_writer.h"
#include "music_report.h"
#include "score.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--music-report") return writeMusicReport(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: afterglow-content OUTDIR | --music-report DIR\n");
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
    const double renderSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "afterglow-content: rendered in %.1f s; encoding demo.mp3...\n", renderSeconds);
    std::string error;
    if (!writeMp3((out / "demo.mp3").string(), music, kMusicSampleRate, 192, error)) {
        std::fprintf(stderr, "afterglow-content: demo.mp3: %s\n", error.c_str());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "afterglow-content: done in %.1f s\n", seconds);
    return 0;
}
