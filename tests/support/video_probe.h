// The real program's captures, and what ffprobe and ffmpeg find in them.
//
//   if (!videoToolsInstalled()) GTEST_SKIP() << kVideoToolsNeeded;
//   const ProcessResult r = runAfterglow({"--capture", path, "--fps", "10", ...});
//   const VideoProbe p = probeVideo(path);      // p.streams[0]["codec_name"] == "h264"
//   EXPECT_EQ(frameHashes(a, "v"), frameHashes(b, "v"));
//
// Header-only: it runs AFTERGLOW_BINARY in AFTERGLOW_DATA_DIR, which the
// tests that run the program are compiled with.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"

// The program with args, in the build's data folder; options.workingDir
// and the time limit are set here unless given.
inline ProcessResult runAfterglow(std::vector<std::string> args, ProcessOptions options = {},
                                  void (*onRunning)(int, void*) = nullptr, void* data = nullptr) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    if (options.workingDir.empty()) options.workingDir = AFTERGLOW_DATA_DIR;
    return runProcess(args, options, onRunning, data);
}

// The full path of a program on PATH, or empty.
inline std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(dir) / name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

inline constexpr const char* kVideoToolsNeeded = "ffmpeg and ffprobe are needed (scripts/install-deps)";
inline bool videoToolsInstalled() { return !onPath("ffmpeg").empty() && !onPath("ffprobe").empty(); }

// ffprobe's "key=value" lines for each stream, in stream order, and for the
// container (duration, format_name, tags.comment).
struct VideoProbe {
    std::vector<std::map<std::string, std::string>> streams;
    std::map<std::string, std::string> format;
};

inline VideoProbe probeVideo(const std::filesystem::path& file) {
    const ProcessResult r = runProcess({onPath("ffprobe"), "-v", "error", "-show_entries",
                                        "stream=codec_type,codec_name,profile,pix_fmt,color_space,color_transfer,"
                                        "color_primaries,color_range,sample_rate,nb_frames:"
                                        "format=duration,format_name:format_tags=comment",
                                        "-of", "flat", file.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    VideoProbe result;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        // streams.stream.0.codec_name="h264" / format.duration="2.000000"
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        const std::string key = line.substr(0, eq);
        if (key.rfind("format.", 0) == 0) {
            result.format[key.substr(7)] = value;
        } else if (key.rfind("streams.stream.", 0) == 0) {
            const size_t dot = key.find('.', 15);
            const size_t index = std::stoul(key.substr(15, dot - 15));
            if (result.streams.size() <= index) result.streams.resize(index + 1);
            result.streams[index][key.substr(dot + 1)] = value;
        }
    }
    return result;
}

// The top-level boxes of an MP4 file in file order ("ftyp", "moov",
// "mdat", ...): the index (moov) before the media (mdat) lets a player
// start before it has the whole file.
inline std::vector<std::string> mp4TopLevelBoxes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> boxes;
    const auto fileSize = static_cast<unsigned long long>(std::filesystem::file_size(file));
    for (unsigned long long at = 0; at + 8 <= fileSize;) {
        unsigned char header[16] = {};
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(header), 16);
        unsigned long long size = 0;
        for (int k = 0; k < 4; ++k) size = size << 8 | header[k];
        boxes.emplace_back(reinterpret_cast<char*>(header + 4), 4);
        if (size == 1) {  // a 64-bit size follows the type
            size = 0;
            for (int k = 8; k < 16; ++k) size = size << 8 | header[k];
        }
        if (size == 0) break;  // to the end of the file
        if (size < 8) return {};
        at += size;
    }
    return boxes;
}

// One line per frame of the stream ("v" or "a"), ffmpeg's framemd5 without
// its comments: timestamps, size and the MD5 of the decoded frame. Two
// lossless videos with the same lines hold the same pictures.
inline std::vector<std::string> frameHashes(const std::filesystem::path& file, const std::string& stream) {
    const ProcessResult r = runProcess(
        {onPath("ffmpeg"), "-loglevel", "error", "-i", file.string(), "-map", "0:" + stream, "-f", "framemd5", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream out(r.out);
    for (std::string line; std::getline(out, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}
