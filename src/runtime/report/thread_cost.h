// What work costs the thread that does it: processor time and heap
// allocations, for the benchmark's CPU figures and the start-up report.
//
//   countHeapAllocations(true);                 // from here on, this thread
//   const double cpu0 = threadCpuMs();
//   const long long allocs0 = heapAllocations();
//   drawFrame();
//   double cpuMs = threadCpuMs() - cpu0;        // the main thread's share
//   long long allocs = heapAllocations() - allocs0;
//
// Allocations are the calls of the C++ allocation functions (operator new
// in every form: every container, string and make_unique of the program),
// counted by replacing them for the whole program. They are counted only on
// a thread that asked for it, so the rest of the program pays one
// thread-local test per allocation. The GL driver's own allocations (C
// malloc inside it) are not among them. Under AddressSanitizer, which has
// allocation functions of its own, nothing is replaced and nothing counted.
#pragma once

// Processor time this thread has used, in milliseconds.
double threadCpuMs();

// Whether this program counts heap allocations at all (false under the
// sanitizers).
bool heapAllocationsCounted();
// Counting on this thread on or off; off at the start of every thread.
void countHeapAllocations(bool on);
// Allocations this thread made while counting was on.
long long heapAllocations();
