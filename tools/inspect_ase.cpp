#include <cstdio>

#include "inspect.h"

int inspectAse(const VerbArgs&) {
    std::fprintf(stderr, "afterglow-inspect: 'ase' is not available yet\n");
    return 2;
}
