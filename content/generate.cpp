// afterglow-content: writes the data folder the program reads.
//
//   afterglow-content OUTDIR                 everything
//   afterglow-content --only GROUP OUTDIR    one part: images, shaders, models or music
//   afterglow-content --contact-sheet FILE.png
//   afterglow-content --frame-sheet FILE.png FRAME.png...   (a grid of rendered frames)
//   afterglow-content --music-report DIR     (spectrogram and statistics of the music)
//   afterglow-content --icon SIZE FILE.png   (the program's icon, SIZE x SIZE with alpha)
//
// Everything is made from source, deterministically: the same bytes on
// every run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data_folder.h"
#include "image/contact_sheet.h"
#include "image/image_file.h"
#include "image/manifest_images.h"
#include "mp3_writer.h"
#include "music_report.h"
#include "score.h"

namespace fs = std::filesystem;

namespace {

bool writeMusic(const fs::path& out) {
    std::fprintf(stderr, "afterglow-content: rendering the music...\n");
    const auto started = std::chrono::steady_clock::now();
    const std::vector<float> music = renderScore();
    const double renderSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "afterglow-content: rendered in %.1f s; encoding demo.mp3...\n", renderSeconds);
    std::string error;
    if (!writeMp3((out / "demo.mp3").string(), music, kMusicSampleRate, kMusicKbps, error)) {
        std::fprintf(stderr, "afterglow-content: demo.mp3: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool writeGroup(const std::string& name, const fs::path& out) {
    if (name == "music") return writeMusic(out);
    const std::optional<DataGroup> group = dataGroupByName(name);
    if (!group) {
        std::fprintf(stderr, "afterglow-content: no part is called %s\n", name.c_str());
        return false;
    }
    std::fprintf(stderr, "afterglow-content: writing the %s...\n", name.c_str());
    std::string error;
    if (!writeDataGroup(*group, out, error)) {
        std::fprintf(stderr, "afterglow-content: %s: %s\n", name.c_str(), error.c_str());
        return false;
    }
    return true;
}

int usage() {
    std::fprintf(stderr,
                 "usage: afterglow-content OUTDIR\n"
                 "       afterglow-content --only images|shaders|models|music OUTDIR\n"
                 "       afterglow-content --contact-sheet FILE.png\n"
                 "       afterglow-content --frame-sheet FILE.png FRAME.png...\n"
                 "       afterglow-content --music-report DIR\n"
                 "       afterglow-content --icon SIZE FILE.png\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--music-report") return argc == 3 ? writeMusicReport(argv[2]) : usage();
    if (first == "--contact-sheet") {
        if (argc != 3) return usage();
        std::string error;
        if (!writeContactSheet(argv[2], error)) {
            std::fprintf(stderr, "afterglow-content: contact sheet: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (first == "--icon") {
        const int size = argc == 4 ? std::atoi(argv[2]) : 0;
        if (size < 16 || size > 1024) return usage();
        std::string error;
        if (!writePng(argv[3], paintIcon(size), error)) {
            std::fprintf(stderr, "afterglow-content: icon: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (first == "--frame-sheet") {
        if (argc < 4) return usage();
        std::string error;
        if (!writeFrameSheet(argv[2], std::vector<fs::path>(argv + 3, argv + argc), error)) {
            std::fprintf(stderr, "afterglow-content: frame sheet: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    std::string only;
    fs::path out;
    if (first == "--only" && argc == 4) {
        only = argv[2];
        out = argv[3];
    } else if (argc == 2 && !first.starts_with("--")) {
        out = first;
    } else {
        return usage();
    }
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "afterglow-content: cannot create %s: %s\n", out.c_str(), ec.message().c_str());
        return 1;
    }

    const auto started = std::chrono::steady_clock::now();
    if (!only.empty()) {
        if (!writeGroup(only, out)) return 1;
    } else {
        for (const char* group : {"images", "shaders", "models", "music"}) {
            if (!writeGroup(group, out)) return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr, "afterglow-content: done in %.1f s\n", seconds);
    return 0;
}
