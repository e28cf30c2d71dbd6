#include "runtime/offline/parts.h"

#include <cstdio>

PartSlice partSlice(long long total, int index, int count) {
    return {.first = total * (index - 1) / count, .end = total * index / count};
}

std::string captureOfPart(const PartLabel& label) {
    char text[160];
    std::snprintf(text, sizeof text, "%lld frames, %dx%d at %d fps, crf %d, music %lld-%lld ms", label.totalFrames,
                  label.width, label.height, label.fps, label.crf, label.fromMs, label.toMs);
    return text;
}

std::string partComment(const PartLabel& label) {
    char text[96];
    std::snprintf(text, sizeof text, "afterglow part %d/%d: frames %lld-%lld of ", label.index, label.count,
                  label.frames.first, label.frames.end);
    return text + captureOfPart(label);
}

bool readPartComment(const std::string& text, PartLabel& label) {
    PartLabel read;
    int used = 0;
    const int fields = std::sscanf(
        text.c_str(),
        "afterglow part %d/%d: frames %lld-%lld of %lld frames, %dx%d at %d fps, crf %d, music %lld-%lld ms%n",
        &read.index, &read.count, &read.frames.first, &read.frames.end, &read.totalFrames, &read.width, &read.height,
        &read.fps, &read.crf, &read.fromMs, &read.toMs, &used);
    if (fields != 11 || text.find_first_not_of(" \r\n", static_cast<size_t>(used)) != std::string::npos) return false;
    if (read.index < 1 || read.index > read.count) return false;
    const PartSlice expected = partSlice(read.totalFrames, read.index, read.count);
    if (read.frames.first != expected.first || read.frames.end != expected.end) return false;
    label = read;
    return true;
}
