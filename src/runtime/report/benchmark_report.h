// The benchmark's numbers: per-frame samples summed up per scene and for the
// whole run, printed as a table or written as JSON.
//
//   std::vector<FrameSample> samples;           // one per drawn frame
//   BenchmarkReport report = ...;               // the run's facts
//   summarizeFrames(report, samples);
//   std::fputs(benchmarkTable(report).c_str(), stdout);
#pragma once

#include <string>
#include <vector>

#include "runtime/report/startup_report.h"

struct FrameSample {
    int scene = 0;
    double ms = 0.0;          // wall time of the whole frame, swap included
    double fragments = -1.0;  // fragments written, or < 0 when they could not be counted
    double cpuMs = -1.0;      // the main thread's processor time in the same span; < 0 unknown
    long long allocations = -1;  // heap allocations the main thread made in it; < 0 uncounted
};

struct BenchmarkRow {
    int scene = -1;  // -1: the whole run
    long long frames = 0;
    double meanMs = 0.0;
    double meanFps = 0.0;
    double onePercentLowFps = 0.0;  // from the mean time of the slowest 1 % of frames
    double worstMs = 0.0;
    // Unknown (< 0) without fragment counts or a fill rate.
    double fragmentsPerFrame = -1.0;
    double fillFloorMs = -1.0;   // fragmentsPerFrame at the calibrated fill rate
    double frameToFloor = -1.0;  // meanMs / fillFloorMs: 1 is a frame that only fills
    // The main thread's processor time a frame: the program's own work and
    // the GL driver's front end, without its rasterising threads. Unknown < 0.
    double cpuMeanMs = -1.0;
    double cpuWorstMs = -1.0;
    // Heap allocations in a steady frame: the median over the frames after
    // each scene's first, so that what is set up once (a scene's first
    // frame, the driver compiling a shader for a state it meets the first
    // time) does not count; 0 without such frames. And all the allocations
    // of those frames, the once-only ones included. Unknown < 0.
    long long steadyAllocations = -1;
    long long allocationsAfterFirst = -1;
};

struct BenchmarkReport {
    int width = 0;           // the picture
    int height = 0;
    int windowWidth = 0;     // what it is shown in; 0 without a window
    int windowHeight = 0;
    int fps = 0;             // frames per second of music
    double fromMs = 0.0;
    double toMs = 0.0;
    long long framesPlanned = 0;
    bool stoppedEarly = false;  // before the end of the span, by stopCause
    std::string stopCause = "Esc";
    double startupMs = 0.0;     // process start to the first frame shown
    StartupReport startup;      // the same, step by step
    std::string renderer;
    std::string platform = "GLX window";  // how the context was made: gfx/egl_context.h
    std::string vsync;          // how the swap was freed from vertical sync
    double fillRate = -1.0;     // fragments per second; < 0 when not measured
    std::vector<BenchmarkRow> scenes;  // the scenes that had frames, in order
    BenchmarkRow total;
};

// One row from the frames in samples that belong to scene (-1: all of them).
BenchmarkRow summarizeRow(const std::vector<FrameSample>& samples, int scene, double fillRate);
// Fills report.scenes and report.total.
void summarizeFrames(BenchmarkReport& report, const std::vector<FrameSample>& samples);

std::string benchmarkTable(const BenchmarkReport& report);
std::string benchmarkJson(const BenchmarkReport& report);
