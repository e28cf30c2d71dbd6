#include "runtime/offline/join.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "runtime/audio/music.h"
#include "runtime/offline/parts.h"
#include "runtime/offline/video_pipe.h"
#include "runtime/platform/child_process.h"
#include "runtime/platform/output_file.h"
#include "runtime/platform/quit_signals.h"

namespace {

struct Part {
    std::string path;
    PartLabel label;
};

// The label ffprobe finds in the part's comment tag; false with the reason.
bool readPart(const std::string& path, PartLabel& label, std::string& error) {
    ChildProcess ffprobe;
    if (!ffprobe.start(
            {"ffprobe", "-v", "error", "-show_entries", "format_tags=comment", "-of", "default=nw=1:nk=1", path},
            !ChildProcess::kPipedInput, error) ||
        !ffprobe.wait(error))
        return false;
    if (readPartComment(ffprobe.output(), label)) return true;
    error = "not a part of a split capture (it has no part label: make parts with --capture FILE --part K/N)";
    return false;
}

std::string partName(const PartLabel& label) {
    return "part " + std::to_string(label.index) + "/" + std::to_string(label.count);
}

// The parts in order, each once, all of one capture, none missing; false
// with the reason.
bool orderParts(std::vector<Part>& parts, std::string& error) {
    std::stable_sort(parts.begin(), parts.end(),
                     [](const Part& a, const Part& b) { return a.label.index < b.label.index; });
    const Part& first = parts.front();
    for (const Part& part : parts) {
        if (part.label.count != first.label.count || captureOfPart(part.label) != captureOfPart(first.label)) {
            error = "\"" + part.path + "\" (" + partName(part.label) + " of " + captureOfPart(part.label) +
                    ") is not of the same capture as \"" + first.path + "\" (" + partName(first.label) + " of " +
                    captureOfPart(first.label) + ")";
            return false;
        }
    }
    for (size_t k = 1; k < parts.size(); ++k) {
        if (parts[k].label.index == parts[k - 1].label.index) {
            error = partName(parts[k].label) + " is given twice: \"" + parts[k - 1].path + "\" and \"" + parts[k].path +
                    "\"";
            return false;
        }
    }
    std::string missing;
    size_t next = 0;
    for (int index = 1; index <= first.label.count; ++index) {
        if (next < parts.size() && parts[next].label.index == index) {
            ++next;
            continue;
        }
        missing += (missing.empty() ? "" : ", ") + std::to_string(index) + "/" + std::to_string(first.label.count);
    }
    if (missing.empty()) return true;
    error = "the capture has " + std::to_string(first.label.count) + " parts; missing: " + missing;
    return false;
}

// Runs the join's ffmpeg into path, feeding it the list of parts; a quit
// signal ends it early. False with the reason.
bool joinInto(const std::string& path, const std::vector<Part>& parts, std::string& error) {
    const PartLabel& capture = parts.front().label;
    VideoSettings settings;
    settings.path = path;
    settings.fromMs = static_cast<double>(capture.fromMs);
    settings.toMs = static_cast<double>(capture.toMs);
    settings.audioPath = MusicConfig{}.path;
    if (!std::filesystem::exists(settings.audioPath)) {
        std::fprintf(stderr, "afterglow: \"%s\" is missing; the video has no sound\n", settings.audioPath.c_str());
        settings.audioPath.clear();
    }
    std::vector<std::string> paths;
    for (const Part& part : parts) paths.push_back(std::filesystem::absolute(part.path).string());
    const std::string list = concatList(paths);

    ChildProcess ffmpeg;
    if (!ffmpeg.start(joinArguments(settings), ChildProcess::kPipedInput, error) ||
        !ffmpeg.write(list.data(), list.size(), error))
        return false;
    ffmpeg.closeInput();
    while (ffmpeg.running()) {
        if (const int signal = quitSignal()) {
            error = std::string("stopped by ") + signalName(signal);
            return false;  // ffmpeg is stopped as it goes out of scope
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ffmpeg.wait(error);
}

}  // namespace

int runJoin(const Options& options) {
    std::vector<Part> parts;
    std::string error;
    for (const std::string& path : options.joinParts) {
        Part part{.path = path, .label = {}};
        if (!readPart(path, part.label, error)) {
            std::fprintf(stderr, "afterglow: cannot join \"%s\": %s\n", path.c_str(), error.c_str());
            return 1;
        }
        parts.push_back(part);
    }
    if (!orderParts(parts, error)) {
        std::fprintf(stderr, "afterglow: cannot join: %s\n", error.c_str());
        return 1;
    }
    const std::string& target = options.joinPath;
    OutputFile out(target);
    if (!out.begin(error) || !joinInto(out.path(), parts, error) || !out.commit(error)) {
        std::fprintf(stderr, "afterglow: cannot write \"%s\": %s\n", target.c_str(), out.targetNamed(error).c_str());
        return 1;
    }
    const PartLabel& capture = parts.front().label;
    std::fprintf(stderr, "afterglow: joined %d parts into \"%s\": %s\n", capture.count, target.c_str(),
                 captureOfPart(capture).c_str());
    return 0;
}
