#include <cstdio>

#include "inspect.h"

int inspectJpeg(const VerbArgs&) {
    std::fprintf(stderr, "afterglow-inspect: 'jpeg' is not available yet\n");
    return 2;
}
