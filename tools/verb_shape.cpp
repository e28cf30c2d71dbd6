#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "assets/ase_text.h"
#include "assets/spline_path.h"
#include "verbs.h"

namespace {

bool parseInt(const std::string& text, int& value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || errno || v < 0 || v > 1000000) return false;
    value = static_cast<int>(v);
    return true;
}

bool parseFloat(const std::string& text, float& value) {
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(text.c_str(), &end);
    if (text.empty() || *end || errno) return false;
    value = v;
    return true;
}

}  // namespace

// "segments N", then "p x y z" for each parameter given. The reader's own
// lines ("shapeobject found", the vertices) go to stderr.
int inspectShape(const VerbArgs& args) {
    int index = 0;
    if (args.size() < 2 || !parseInt(args[1], index)) {
        std::fprintf(stderr, "usage: afterglow-inspect shape FILE INDEX [T ...]\n");
        return 2;
    }
    std::vector<float> params;
    for (size_t i = 2; i < args.size(); ++i) {
        float t = 0;
        if (!parseFloat(args[i], t)) {
            std::fprintf(stderr, "afterglow-inspect: '%s' is not a number\n", args[i].c_str());
            return 2;
        }
        params.push_back(t);
    }
    const char* path = args[0].c_str();
    if (!readableOrSay(path)) return 1;
    aseProgressOut = stderr;
    SplinePath spline;
    spline.loadShape(path, index);
    std::printf("segments %d\n", spline.segmentCount());
    if (spline.segmentCount() == 0 && !params.empty()) {
        std::fprintf(stderr, "afterglow-inspect: shape %d has no segments to evaluate\n", index);
        return 1;
    }
    for (const float t : params) {
        const Vec3 p = spline.evaluate(t);
        std::printf("p %.6g %.6g %.6g\n", p.x, p.y, p.z);
    }
    return 0;
}
