// The second random source: the classic C runtime generator, reproduced
// here so that the tile heights and particle spawns look the same on every
// platform. One sequence for the whole program, never reseeded; every draw
// advances it, so callers must keep their draws in a fixed order.
//
//   int h = crtRand() % 100;   // 0..32767 before the modulo
#pragma once

#include <cstdint>

// state = state * 214013 + 2531011 (mod 2^32); returns (state >> 16) & 0x7FFF.
int crtRand();

// The program starts at state 1; tests put the sequence back there.
void setCrtRandState(uint32_t state);
// Where the sequence stands, for putting it back later.
uint32_t crtRandState();
