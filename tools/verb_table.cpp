#include <cstdio>

#include "verbs.h"

namespace {

const InspectVerb kVerbs[] = {
    {"jpeg", "IN.jpg OUT.ppm", "decode a JPEG as the program does; write binary PPM", inspectJpeg},
    {"ase", "FILE", "list the meshes of a model file", inspectAse},
    {"shape", "FILE INDEX [T ...]", "evaluate a path of a shape file", inspectShape},
    {"scenes", "", "each scene's start and end, ms of music", inspectScenes},
};

}  // namespace

std::span<const InspectVerb> inspectVerbs() { return kVerbs; }

bool readableOrSay(const char* path) {
    if (FILE* probe = std::fopen(path, "r")) {
        std::fclose(probe);
        return true;
    }
    std::fprintf(stderr, "afterglow-inspect: cannot open %s\n", path);
    return false;
}
