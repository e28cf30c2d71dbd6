#include <cstdio>

#include "inspect.h"

int inspectShape(const VerbArgs&) {
    std::fprintf(stderr, "afterglow-inspect: 'shape' is not available yet\n");
    return 2;
}
