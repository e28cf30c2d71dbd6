#include <cstdio>
#include <cstring>
#include <string>

#include "verbs.h"

namespace {

void usage(FILE* to) {
    std::fprintf(to, "usage: afterglow-inspect VERB ARGS...\n");
    for (const InspectVerb& v : inspectVerbs()) {
        const std::string call = std::string(v.name) + (*v.arguments ? " " : "") + v.arguments;
        std::fprintf(to, "  afterglow-inspect %-24s %s\n", call.c_str(), v.words);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    if (argc >= 2) {
        for (const InspectVerb& v : inspectVerbs())
            if (std::strcmp(argv[1], v.name) == 0) return v.run(VerbArgs(argv + 2, argv + argc));
        std::fprintf(stderr, "afterglow-inspect: unknown verb '%s'\n", argv[1]);
    }
    usage(stderr);
    return 2;
}
