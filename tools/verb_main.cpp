#include <cstdio>
#include <cstring>

#include "verbs.h"

namespace {

struct Verb {
    const char* name;
    const char* usage;
    int (*run)(const VerbArgs&);
};

const Verb kVerbs[] = {
    {"jpeg", "jpeg IN.jpg OUT.ppm      decode a JPEG as the program does; write binary PPM", inspectJpeg},
    {"ase", "ase FILE                 list the meshes of a model file", inspectAse},
    {"shape", "shape FILE INDEX [T ...] evaluate a path of a shape file", inspectShape},
    {"scenes", "scenes                   each scene's start and end, ms of music", inspectScenes},
};

void usage(FILE* to) {
    std::fprintf(to, "usage: afterglow-inspect VERB ARGS...\n");
    for (const Verb& v : kVerbs) std::fprintf(to, "  afterglow-inspect %s\n", v.usage);
}

}  // namespace

bool readableOrSay(const char* path) {
    if (FILE* probe = std::fopen(path, "r")) {
        std::fclose(probe);
        return true;
    }
    std::fprintf(stderr, "afterglow-inspect: cannot open %s\n", path);
    return false;
}

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    if (argc >= 2) {
        for (const Verb& v : kVerbs)
            if (std::strcmp(argv[1], v.name) == 0) return v.run(VerbArgs(argv + 2, argv + argc));
        std::fprintf(stderr, "afterglow-inspect: unknown verb '%s'\n", argv[1]);
    }
    usage(stderr);
    return 2;
}
