#include "assets/crt_random.h"

namespace {
uint32_t crtState = 1;
}  // namespace

int crtRand() {
    crtState = crtState * 214013u + 2531011u;
    return static_cast<int>((crtState >> 16) & 0x7FFFu);
}

void setCrtRandState(uint32_t state) { crtState = state; }

uint32_t crtRandState() { return crtState; }
