#include <gtest/gtest.h>

#include "runtime/report/benchmark_report.h"

namespace {

// 200 frames of scene 0 at 10 ms, two of them slow; 50 of scene 3 at 20 ms.
std::vector<FrameSample> twoScenes() {
    std::vector<FrameSample> samples;
    for (int i = 0; i < 200; ++i) samples.push_back({0, i == 7 ? 50.0 : i == 90 ? 30.0 : 10.0, 2e6});
    for (int i = 0; i < 50; ++i) samples.push_back({3, 20.0, 4e6});
    return samples;
}

TEST(BenchmarkReport, RowsSumEachSceneAndTheWholeRun) {
    BenchmarkReport report;
    report.fillRate = 1e9;  // a million fragments a millisecond
    summarizeFrames(report, twoScenes());
    ASSERT_EQ(report.scenes.size(), 2u);  // scenes 1 and 2 had no frames

    const BenchmarkRow& first = report.scenes[0];
    EXPECT_EQ(first.scene, 0);
    EXPECT_EQ(first.frames, 200);
    EXPECT_DOUBLE_EQ(first.meanMs, (198 * 10.0 + 50.0 + 30.0) / 200);
    EXPECT_DOUBLE_EQ(first.meanFps, 1000.0 / first.meanMs);
    EXPECT_DOUBLE_EQ(first.onePercentLowFps, 1000.0 / 40.0);  // the slowest two of 200
    EXPECT_DOUBLE_EQ(first.worstMs, 50.0);
    EXPECT_DOUBLE_EQ(first.fragmentsPerFrame, 2e6);
    EXPECT_DOUBLE_EQ(first.fillFloorMs, 2.0);
    EXPECT_DOUBLE_EQ(first.frameToFloor, first.meanMs / 2.0);

    const BenchmarkRow& second = report.scenes[1];
    EXPECT_EQ(second.scene, 3);
    EXPECT_DOUBLE_EQ(second.onePercentLowFps, 50.0);  // 1 % of 50 frames is still one frame

    EXPECT_EQ(report.total.scene, -1);
    EXPECT_EQ(report.total.frames, 250);
    EXPECT_DOUBLE_EQ(report.total.fragmentsPerFrame, (200 * 2e6 + 50 * 4e6) / 250);
    EXPECT_DOUBLE_EQ(report.total.onePercentLowFps, 1000.0 / ((50.0 + 30.0 + 20.0) / 3));
}

TEST(BenchmarkReport, UnknownCountsAreDashesAndNullsNeverNumbers) {
    BenchmarkReport report;
    report.renderer = "odd \"driver\"\\ with\ttab";
    std::vector<FrameSample> samples = twoScenes();
    samples[5].fragments = -1.0;  // one frame without a count spoils the scene's mean
    report.fillRate = 1e9;
    summarizeFrames(report, samples);
    EXPECT_LT(report.scenes[0].fragmentsPerFrame, 0.0);
    EXPECT_LT(report.scenes[0].fillFloorMs, 0.0);
    EXPECT_GT(report.scenes[1].fillFloorMs, 0.0);

    const std::string table = benchmarkTable(report);
    EXPECT_NE(table.find("            -         -            -\n"), std::string::npos) << table;
    const std::string json = benchmarkJson(report);
    EXPECT_NE(json.find("\"fragmentsPerFrame\": null, \"fillFloorMs\": null, \"frameToFloor\": null"),
              std::string::npos) << json;
    EXPECT_NE(json.find("\"renderer\": \"odd \\\"driver\\\"\\\\ with\\u0009tab\""), std::string::npos) << json;

    report.fillRate = -1.0;  // no occlusion queries at all
    summarizeFrames(report, twoScenes());
    EXPECT_NE(benchmarkTable(report).find("fill rate    not measured"), std::string::npos);
    EXPECT_NE(benchmarkJson(report).find("\"fillRate\": null"), std::string::npos);
}

TEST(BenchmarkReport, TheWindowOrItsAbsenceAndThePlatformAreSaid) {
    BenchmarkReport report;
    report.width = 2560;
    report.height = 1600;
    report.windowWidth = 1280;
    report.windowHeight = 1024;
    summarizeFrames(report, twoScenes());
    EXPECT_NE(benchmarkTable(report).find("picture      2560x1600 in a 1280x1024 window\n"), std::string::npos);
    EXPECT_NE(benchmarkTable(report).find("GL platform  GLX window\n"), std::string::npos);
    EXPECT_NE(benchmarkJson(report).find("\"windowWidth\": 1280, \"windowHeight\": 1024"), std::string::npos);

    report.windowWidth = report.windowHeight = 0;  // drawn through EGL
    report.platform = "EGL surfaceless";
    const std::string table = benchmarkTable(report);
    EXPECT_NE(table.find("picture      2560x1600 off-screen, no window\n"), std::string::npos) << table;
    EXPECT_NE(table.find("GL platform  EGL surfaceless\n"), std::string::npos) << table;
    const std::string json = benchmarkJson(report);
    EXPECT_NE(json.find("\"windowWidth\": null, \"windowHeight\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"platform\": \"EGL surfaceless\""), std::string::npos) << json;
}

// The processor figures: mean and worst per scene. Allocations: the median
// of the frames after a scene's first, wherever that falls in the run, so
// that what a scene or the driver sets up once is not a steady cost; the
// once-only ones still show in the sum.
TEST(BenchmarkReport, CpuAndSteadyAllocationsPerScene) {
    std::vector<FrameSample> samples;
    for (int i = 0; i < 5; ++i) samples.push_back({2, 10.0, 1e6, i == 2 ? 6.0 : 2.0, i == 0 ? 500 : i == 3 ? 90 : 3});
    for (int i = 0; i < 3; ++i) samples.push_back({5, 10.0, 1e6, 1.0, i == 0 ? 40 : 0});
    BenchmarkReport report;
    summarizeFrames(report, samples);
    ASSERT_EQ(report.scenes.size(), 2u);
    EXPECT_DOUBLE_EQ(report.scenes[0].cpuMeanMs, 2.8);
    EXPECT_DOUBLE_EQ(report.scenes[0].cpuWorstMs, 6.0);
    EXPECT_EQ(report.scenes[0].steadyAllocations, 3);
    EXPECT_EQ(report.scenes[0].allocationsAfterFirst, 99);
    EXPECT_EQ(report.scenes[1].steadyAllocations, 0);
    EXPECT_EQ(report.scenes[1].allocationsAfterFirst, 0);
    EXPECT_DOUBLE_EQ(report.total.cpuMeanMs, 17.0 / 8);
    EXPECT_EQ(report.total.steadyAllocations, 3);  // of 3, 3, 90, 3, 0, 0
    EXPECT_EQ(report.total.allocationsAfterFirst, 99);

    const std::string table = benchmarkTable(report);
    EXPECT_NE(table.find("cpu ms  cpu worst  allocs"), std::string::npos) << table;
    EXPECT_NE(table.find("    2.80        6.0       3"), std::string::npos) << table;
    const std::string json = benchmarkJson(report);
    EXPECT_NE(json.find("\"cpuMeanMs\": 2.8, \"cpuWorstMs\": 6, \"steadyAllocationsPerFrame\": 3, "
                        "\"allocationsAfterFirstFrame\": 99"),
              std::string::npos)
        << json;

    samples[6].cpuMs = -1.0;      // a frame whose time could not be read
    samples[1].allocations = -1;  // nor its allocations counted
    summarizeFrames(report, samples);
    EXPECT_LT(report.scenes[1].cpuMeanMs, 0.0);
    EXPECT_LT(report.scenes[1].cpuWorstMs, 0.0);
    EXPECT_LT(report.scenes[0].steadyAllocations, 0);
    EXPECT_DOUBLE_EQ(report.scenes[0].cpuWorstMs, 6.0);
    EXPECT_NE(benchmarkJson(report).find("\"cpuMeanMs\": null, \"cpuWorstMs\": null"), std::string::npos);
}

TEST(BenchmarkReport, NoFramesAtAllIsAnEmptyRunNotADivisionByZero) {
    BenchmarkReport report;
    report.stoppedEarly = true;
    summarizeFrames(report, {});
    EXPECT_TRUE(report.scenes.empty());
    EXPECT_EQ(report.total.frames, 0);
    const std::string json = benchmarkJson(report);
    EXPECT_EQ(json.find("nan"), std::string::npos) << json;
    EXPECT_EQ(json.find("inf"), std::string::npos) << json;
    EXPECT_NE(benchmarkTable(report).find("stopped early by Esc"), std::string::npos);
}

}  // namespace
