// The entry every fuzz target defines, the one libFuzzer calls with each
// input. The same target sources build two ways: with clang's libFuzzer for
// the long runs of scripts/fuzz, and with the replay main (replay_main.cpp)
// under g++'s sanitizers, which runs the seed corpus and the committed
// regression inputs once each in the tests.
//
// A target reports a finding by crashing: a sanitizer report, or fuzzTrap
// where the program's own promises (finite numbers, decoders that agree)
// are broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Says what was broken, then aborts so the input is kept as a finding.
[[noreturn]] inline void fuzzTrap(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

// Readers print progress and problems for every input; a target keeps
// them away from the fuzzer's own output.
void quietReaders();
