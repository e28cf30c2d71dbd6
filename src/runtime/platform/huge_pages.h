// Huge pages for the memory start-up fills.
//
//   int main(int argc, char** argv) {
//       ... options parsed, nothing else allocated in earnest yet ...
//       useHugePages();
//       ... start-up, the first frame ...
//       endHugePages();
//
// Start-up touches a few hundred megabytes of fresh memory (the decoded
// music, the images, the driver's textures, buffers and compiled shaders).
// Where page faults are dear, as in virtual machines, faulting that in 4 KB
// at a time costs more than the work done with it. So the allocator's main
// heap is grown once, up front, by a reserve the kernel is asked to back
// with transparent huge pages (2 MB each), and blocks up to 16 MiB are kept
// in that heap rather than mapped one by one; the program's own large
// buffers (the music, pictures, file contents) ask for huge pages
// themselves. Untouched reserve costs address space only.
//
// It does nothing when the system has transparent huge pages off, and it
// leaves the allocator alone when GLIBC_TUNABLES names glibc.malloc.hugetlb:
// =1 or =2 has glibc do the same, =0 keeps ordinary pages everywhere (the
// program's own buffers too).
#pragma once

void useHugePages();

// Once the first frame is drawn: the rest of the reserve comes in ordinary
// pages. After start-up the heap grows only slowly (the GL driver's vertex
// and command buffers, a megabyte at a time), and a huge page faulted in
// then zeroes 2 MB in the middle of a frame: 20 to 30 ms every few frames
// on the no-op driver, where ordinary pages cost a frame 1 or 2.
void endHugePages();
