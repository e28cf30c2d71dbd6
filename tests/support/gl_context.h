// One GL context for tests that need GL: a 1024x768 double-buffered window
// on the display ./test provides, created on first use and kept for the
// whole test program, with GLEW initialised.
#pragma once

// False when there is no display; tests then GTEST_SKIP().
bool ensureGlContext();
