// The start-up report as a table and as JSON: every step present, the sums
// and the music decode's hidden part, and unknown values.
#include <gtest/gtest.h>

#include <regex>

#include "runtime/benchmark_report.h"
#include "runtime/startup_report.h"

namespace {

StartupReport sample() {
    StartupReport r;
    r.programLoadMs = 20.0;
    r.contextMs = 450.0;
    r.firstSwapMs = 50.0;
    r.glChecksMs = 3.0;
    r.shadersMs = 40.0;
    r.texturesMs = 120.0;
    r.textureCount = 14;
    r.passesMs = 6.0;
    r.sceneMs = {10.0, 30.0, 0.0, 25.0, 0.0, 0.0, 15.0, 40.0, 35.0, 20.0, 0.0};
    r.loadingBarMs = 9.0;
    r.musicStartMs = 12.0;
    r.firstFrameMs = 110.0;
    r.decodeMs = 300.0;
    r.decodeWaitMs = 10.0;
    return r;
}

// The number in the table row that starts with name.
double rowValue(const std::string& table, const std::string& name) {
    std::smatch match;
    if (!std::regex_search(table, match, std::regex("\\n  " + name + " +([0-9]+)"))) return -1.0;
    return std::stod(match[1].str());
}

TEST(StartupReport, StepsAddUpAndTheDecodeShowsWhatWasHidden) {
    const StartupReport r = sample();
    EXPECT_DOUBLE_EQ(r.modelsMs(), 175.0);
    EXPECT_DOUBLE_EQ(r.totalMs(), 20 + 450 + 50 + 3 + 40 + 120 + 6 + 175 + 9 + 12 + 110);
    EXPECT_DOUBLE_EQ(r.ownMs(), r.totalMs() - 450.0);  // all but the driver's start
    EXPECT_DOUBLE_EQ(r.decodeHiddenMs(), 290.0);

    const std::string table = startupTable(r);
    for (const char* name : {"program load", "GL context and driver", "first swap", "GL checks", "shaders", "textures",
                             "render target, passes", "models", "loading bar", "music start", "first frame", "total",
                             "ours", "music decode"})
        EXPECT_GE(rowValue(table, name), 0.0) << name << " is missing from:\n" << table;
    EXPECT_EQ(rowValue(table, "models"), 175.0);
    EXPECT_EQ(rowValue(table, "total"), 995.0);
    EXPECT_EQ(rowValue(table, "ours"), 545.0);
    for (int k = 0; k < 11; ++k)
        EXPECT_NE(table.find("    scene " + std::to_string(k) + " "), std::string::npos) << table;
    EXPECT_NE(table.find("290 of it hidden"), std::string::npos) << table;
    EXPECT_NE(table.find("10 of it waiting"), std::string::npos) << table;

    const std::string json = startupJson(r, "  ");
    for (const char* key : {"\"programLoadMs\": 20", "\"contextMs\": 450", "\"firstSwapMs\": 50", "\"glChecksMs\": 3", "\"shadersMs\": 40",
                            "\"texturesMs\": 120", "\"textureCount\": 14", "\"passesMs\": 6", "\"modelsMs\": 175",
                            "\"sceneMs\": [10, 30, 0, 25, 0, 0, 15, 40, 35, 20, 0]", "\"loadingBarMs\": 9",
                            "\"musicStartMs\": 12", "\"firstFrameMs\": 110", "\"totalMs\": 995", "\"ownMs\": 545",
                            "\"musicDecodeMs\": 300", "\"musicDecodeWaitMs\": 10", "\"musicDecodeHiddenMs\": 290"})
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
    report.startupMs = report.startup.totalMs();
    summarizeFrames(report, {{0, 100.0, 1e6}});
    EXPECT_NE(benchmarkTable(report).find("\nstart-up, milliseconds\n"), std::string::npos);
    const std::string json = benchmarkJson(report);
    EXPECT_NE(json.find("\"startup\": {\"programLoadMs\": 20"), std::string::npos) << json;
    EXPECT_NE(json.find("\"startupMs\": 995"), std::string::npos) << json;
}

}  // namespace
