#include "runtime/report/benchmark_report.h"

#include <algorithm>
#include <functional>
#include <numeric>

#include "runtime/report/report_format.h"

namespace {

// A table cell: the number, or "-" when it is unknown.
std::string cell(double value, int width, int decimals) {
    if (value < 0.0) return formatText("%*s", width, "-");
    return formatText("%*.*f", width, decimals, value);
}

std::string countCell(long long value, int width) {
    if (value < 0) return formatText("%*s", width, "-");
    return formatText("%*lld", width, value);
}

std::string jsonCount(long long value) { return value < 0 ? "null" : std::to_string(value); }

std::string tableRow(const BenchmarkRow& row) {
    const std::string name = row.scene < 0 ? "all" : std::to_string(row.scene);
    return formatText("%5s %7lld", name.c_str(), row.frames) + cell(row.meanFps, 10, 2) +
           cell(row.onePercentLowFps, 12, 2) + cell(row.worstMs, 10, 1) + cell(row.cpuMeanMs, 8, 2) +
           cell(row.cpuWorstMs, 11, 1) + countCell(row.steadyAllocations, 8) +
           cell(row.fragmentsPerFrame < 0.0 ? -1.0 : row.fragmentsPerFrame / 1e6, 13, 2) +
           cell(row.fillFloorMs, 10, 1) + cell(row.frameToFloor, 13, 1) + "\n";
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            out += formatText("\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string jsonRow(const BenchmarkRow& row, const std::string& indent) {
    std::string out = "{";
    if (row.scene >= 0) out += "\"scene\": " + std::to_string(row.scene) + ", ";
    out += "\"frames\": " + std::to_string(row.frames) + ", \"meanFrameMs\": " + jsonNumber(row.meanMs) +
           ", \"meanFps\": " + jsonNumber(row.meanFps) + ", \"onePercentLowFps\": " + jsonNumber(row.onePercentLowFps) +
           ", \"worstFrameMs\": " + jsonNumber(row.worstMs) + ",\n" + indent +
           " \"cpuMeanMs\": " + jsonNumber(row.cpuMeanMs) + ", \"cpuWorstMs\": " + jsonNumber(row.cpuWorstMs) +
           ", \"steadyAllocationsPerFrame\": " + jsonCount(row.steadyAllocations) +
           ", \"allocationsAfterFirstFrame\": " + jsonCount(row.allocationsAfterFirst) + ",\n" + indent +
           " \"fragmentsPerFrame\": " + jsonNumber(row.fragmentsPerFrame) +
           ", \"fillFloorMs\": " + jsonNumber(row.fillFloorMs) + ", \"frameToFloor\": " + jsonNumber(row.frameToFloor) +
           "}";
    return out;
}

}  // namespace

BenchmarkRow summarizeRow(const std::vector<FrameSample>& samples, int scene, double fillRate) {
    BenchmarkRow row;
    row.scene = scene;
    std::vector<double> times;
    double totalMs = 0.0;
    double fragments = 0.0;
    bool counted = true;
    double cpuMs = 0.0;
    bool cpuKnown = true;
    std::vector<long long> steadyAllocations;  // one per frame after its scene's first
    bool allocationsKnown = true;
    for (size_t i = 0; i < samples.size(); ++i) {
        const FrameSample& s = samples[i];
        if (scene >= 0 && s.scene != scene) continue;
        times.push_back(s.ms);
        totalMs += s.ms;
        if (s.fragments < 0.0) counted = false;
        fragments += s.fragments;
        if (s.cpuMs < 0.0) cpuKnown = false;
        cpuMs += s.cpuMs;
        row.cpuWorstMs = std::max(row.cpuWorstMs, s.cpuMs);
        if (s.allocations < 0) allocationsKnown = false;
        if (i > 0 && samples[i - 1].scene == s.scene) steadyAllocations.push_back(s.allocations);
    }
    row.frames = static_cast<long long>(times.size());
    if (times.empty()) return row;
    if (cpuKnown)
        row.cpuMeanMs = cpuMs / row.frames;
    else
        row.cpuWorstMs = -1.0;
    if (allocationsKnown) {
        row.allocationsAfterFirst = std::accumulate(steadyAllocations.begin(), steadyAllocations.end(), 0LL);
        row.steadyAllocations = 0;
        if (!steadyAllocations.empty()) {
            const auto middle = steadyAllocations.begin() + static_cast<std::ptrdiff_t>(steadyAllocations.size() / 2);
            std::nth_element(steadyAllocations.begin(), middle, steadyAllocations.end());
            row.steadyAllocations = *middle;
        }
    }

    row.meanMs = totalMs / row.frames;
    row.meanFps = totalMs > 0.0 ? 1000.0 / row.meanMs : 0.0;
    // The slowest 1 %, at least one frame.
    const size_t slowest = std::max<size_t>(1, (times.size() + 99) / 100);
    std::partial_sort(times.begin(), times.begin() + slowest, times.end(), std::greater<>());
    double slowMs = 0.0;
    for (size_t i = 0; i < slowest; ++i) slowMs += times[i];
    slowMs /= slowest;
    row.onePercentLowFps = slowMs > 0.0 ? 1000.0 / slowMs : 0.0;
    row.worstMs = times.front();
    if (counted) {
        row.fragmentsPerFrame = fragments / row.frames;
        if (fillRate > 0.0) {
            row.fillFloorMs = row.fragmentsPerFrame / fillRate * 1000.0;
            if (row.fillFloorMs > 0.0) row.frameToFloor = row.meanMs / row.fillFloorMs;
        }
    }
    return row;
}

void summarizeFrames(BenchmarkReport& report, const std::vector<FrameSample>& samples) {
    report.scenes.clear();
    int lastScene = -1;
    for (const FrameSample& s : samples) lastScene = std::max(lastScene, s.scene);
    for (int scene = 0; scene <= lastScene; ++scene) {
        BenchmarkRow row = summarizeRow(samples, scene, report.fillRate);
        if (row.frames > 0) report.scenes.push_back(row);
    }
    report.total = summarizeRow(samples, -1, report.fillRate);
}

std::string benchmarkTable(const BenchmarkReport& r) {
    // After the start-up lines on the same stream, which need not end a line.
    std::string out = "\nafterglow benchmark\n";
    if (r.windowWidth > 0)
        out += formatText("  picture      %dx%d in a %dx%d window\n", r.width, r.height, r.windowWidth, r.windowHeight);
    else
        out += formatText("  picture      %dx%d off-screen, no window\n", r.width, r.height);
    const std::string stopped = r.stoppedEarly ? ", stopped early by " + r.stopCause : "";
    out += formatText("  clock        offline, %d frames per second of music, %.0f to %.0f ms (%lld frames%s)\n", r.fps,
                  r.fromMs, r.toMs, r.framesPlanned, stopped.c_str());
    out += formatText("  start-up     %.0f ms (process start to the first frame shown)\n", r.startupMs);
    out += "  GL renderer  " + r.renderer + "\n";
    out += "  GL platform  " + r.platform + "\n";
    out += "  vsync        " + r.vsync + "\n";
    if (r.fillRate > 0.0)
        out += formatText("  fill rate    %.1f Mfragments/s (textured, blended quads over the whole render target)\n",
                      r.fillRate / 1e6);
    else
        out += "  fill rate    not measured: the driver cannot count fragments (GL_ARB_occlusion_query)\n";
    out += "\n";
    out += "scene  frames  mean fps  1% low fps  worst ms  cpu ms  cpu worst  allocs  Mfrag/frame  floor ms  frame/floor\n";
    for (const BenchmarkRow& row : r.scenes) out += tableRow(row);
    out += tableRow(r.total);
    out += "\n" + startupTable(r.startup);
    return out;
}

std::string benchmarkJson(const BenchmarkReport& r) {
    std::string out = "{\n";
    const auto windowSide = [](int pixels) { return pixels > 0 ? std::to_string(pixels) : std::string("null"); };
    out += formatText("  \"width\": %d, \"height\": %d, \"windowWidth\": %s, \"windowHeight\": %s,\n", r.width, r.height,
                      windowSide(r.windowWidth).c_str(), windowSide(r.windowHeight).c_str());
    out += formatText("  \"fps\": %d, \"fromMs\": %.0f, \"toMs\": %.0f, \"framesPlanned\": %lld, \"stoppedEarly\": %s,\n",
                  r.fps, r.fromMs, r.toMs, r.framesPlanned, r.stoppedEarly ? "true" : "false");
    out += "  \"startupMs\": " + jsonNumber(r.startupMs) + ",\n";
    out += "  \"startup\": " + startupJson(r.startup, "  ") + ",\n";
    out += "  \"renderer\": " + jsonString(r.renderer) + ",\n";
    out += "  \"platform\": " + jsonString(r.platform) + ",\n";
    out += "  \"vsync\": " + jsonString(r.vsync) + ",\n";
    out += "  \"fillRate\": " + jsonNumber(r.fillRate) + ",\n";
    out += "  \"scenes\": [\n";
    for (size_t i = 0; i < r.scenes.size(); ++i)
        out += "    " + jsonRow(r.scenes[i], "    ") + (i + 1 < r.scenes.size() ? ",\n" : "\n");
    out += "  ],\n";
    out += "  \"total\": " + jsonRow(r.total, "  ") + "\n";
    out += "}\n";
    return out;
}
