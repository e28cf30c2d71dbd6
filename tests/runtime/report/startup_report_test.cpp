// The start-up report as a table and as JSON: every step present, the sums
// and the music decode's hidden part, and unknown values.
#include <gtest/gtest.h>

#include <regex>

#include "runtime/report/benchmark_report.h"
#include "runtime/report/startup_report.h"
#include "support/report_rows.h"

namespace {

StartupTimes wallTimes() {
    StartupTimes t;
    t.programLoad = 20.0;
    t.context = 450.0;
    t.firstSwap = 50.0;
    t.glChecks = 3.0;
    t.shaders = 40.0;
    t.textures = 120.0;
    t.passes = 6.0;
    t.scenes = {10.0, 30.0, 0.0, 25.0, 0.0, 0.0, 15.0, 40.0, 35.0, 20.0, 0.0};
    t.loadingBar = 9.0;
    t.musicStart = 12.0;
    t.firstFrame = 110.0;
    return t;
}

StartupReport sample() {
    StartupReport r;
    r.wall = wallTimes();
    r.cpu = wallTimes();
    r.cpu.context = 300.0;  // the driver waited for the X server a while
    r.textureCount = 14;
    r.decodeMs = 300.0;
    r.decodeWaitMs = 10.0;
    return r;
}

TEST(StartupReport, StepsAddUpAndTheDecodeShowsWhatWasHidden) {
    const StartupReport r = sample();
    EXPECT_DOUBLE_EQ(r.wall.models(), 175.0);
    EXPECT_DOUBLE_EQ(r.wall.total(), 20 + 450 + 50 + 3 + 40 + 120 + 6 + 175 + 9 + 12 + 110);
    EXPECT_DOUBLE_EQ(r.wall.own(), r.wall.total() - 450.0);  // all but the driver's start
    EXPECT_DOUBLE_EQ(r.decodeHiddenMs(), 290.0);

    const std::string table = startupTable(r);
    for (const char* name : {"program load", "GL context and driver", "first swap", "GL checks", "shaders", "textures",
                             "render target, passes", "models", "loading bar", "music start", "first frame", "total",
                             "ours", "music decode"})
        EXPECT_GE(reportNumber(table, name), 0.0) << name << " is missing from:\n" << table;
    EXPECT_EQ(reportNumber(table, "models"), 175.0);
    EXPECT_EQ(reportNumber(table, "total"), 995.0);
    EXPECT_EQ(reportNumber(table, "ours"), 545.0);
    EXPECT_EQ(reportNumber(table, "total", 1), 845.0);  // the processor time
    for (int k = 0; k < 11; ++k)
        EXPECT_NE(table.find("    scene " + std::to_string(k) + " "), std::string::npos) << table;
    EXPECT_NE(table.find("290 of it hidden"), std::string::npos) << table;
    EXPECT_NE(table.find("10 of it waiting"), std::string::npos) << table;

    const std::string json = startupJson(r, "  ");
    for (const char* key : {"\"wallMs\": {\"programLoad\": 20, \"context\": 450, \"firstSwap\": 50, \"glChecks\": 3",
                            "\"shaders\": 40, \"textures\": 120, \"passes\": 6, \"models\": 175",
                            "\"scenes\": [10, 30, 0, 25, 0, 0, 15, 40, 35, 20, 0]", "\"loadingBar\": 9, \"musicStart\": 12",
                            "\"musicStart\": 12, \"firstFrame\": 110, \"total\": 995, \"own\": 545}",
                            "\"mainThreadCpuMs\": {\"programLoad\": 20, \"context\": 300", "\"total\": 845, \"own\": 545}",
                            "\"textureCount\": 14", "\"musicDecodeMs\": 300", "\"musicDecodeWaitMs\": 10",
                            "\"musicDecodeHiddenMs\": 290"})
        EXPECT_NE(json.find(key), std::string::npos) << key << " is missing from:\n" << json;
}

TEST(StartupReport, ADecodeThatTookLessThanTheWaitOrHadNoThreadIsNeverNegative) {
    StartupReport r = sample();
    r.decodeMs = 5.0;  // the clock says the wait was longer than the work
    r.decodeWaitMs = 7.0;
    EXPECT_EQ(r.decodeHiddenMs(), 0.0);

    r.decodeMs = -1.0;  // decoded where the music starts, no worker
    EXPECT_LT(r.decodeHiddenMs(), 0.0);
    EXPECT_TRUE(std::regex_search(startupTable(r), std::regex("\\n  music decode +- "))) << startupTable(r);
    const std::string json = startupJson(r, "");
    EXPECT_NE(json.find("\"musicDecodeMs\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"musicDecodeHiddenMs\": null"), std::string::npos) << json;
}

TEST(StartupReport, TheBenchmarkCarriesItInItsTableAndJson) {
    BenchmarkReport report;
    report.startup = sample();
    report.startupMs = report.startup.wall.total();
    summarizeFrames(report, {{0, 100.0, 1e6}});
    EXPECT_NE(benchmarkTable(report).find("\nstart-up, milliseconds "), std::string::npos);
    const std::string json = benchmarkJson(report);
    EXPECT_NE(json.find("\"startup\": {\"wallMs\": {\"programLoad\": 20"), std::string::npos) << json;
    EXPECT_NE(json.find("\"startupMs\": 995"), std::string::npos) << json;
}

}  // namespace
