// Huge pages for the C library's allocator.
//
//   int main(int argc, char** argv) {
//       ... options parsed, nothing else done yet ...
//       restartWithHugePages(argv);   // returns only when it does not restart
//
// Start-up touches a few hundred megabytes of fresh memory (the decoded
// music, the images, the driver's textures, buffers and compiled shaders).
// Where page faults are dear, as in virtual machines, faulting that in 4 KB
// at a time costs more than the work done with it. glibc can back what it
// allocates with transparent huge pages (2 MB each), but reads that setting
// (GLIBC_TUNABLES=glibc.malloc.hugetlb=1) only when a program starts; so the
// program starts itself again, once, with it set. Nothing of its own has run
// by then, and the process stays the same (same PID, same start time).
//
// It does nothing when GLIBC_TUNABLES already names glibc.malloc.hugetlb
// (set it to 0 to keep ordinary pages), when the system has transparent huge
// pages off, or when the program cannot be started again.
#pragma once

void restartWithHugePages(char** argv);
