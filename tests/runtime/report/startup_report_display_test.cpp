// --startup-report in playback: every step once, after the usual console
// output.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "support/window_keys.h"
#include "support/fixture_shaders.h"
#include "support/process.h"
#include "support/program.h"
#include "support/report_rows.h"
#include "support/temp_dir.h"

namespace {

TEST(StartupReportRun, PlaybackPrintsEveryStepOnceAfterTheUsualConsoleOutput) {
    const ProcessResult r = afterglow({"--windowed", "--silent", "--start", "243000", "--startup-report"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string& out = r.out;
    EXPECT_EQ(out.find("Compiling shader shaders\\phong.ps shaders\\phong.vs\n"), 0u) << out;
    const size_t initialized = out.find("\ninitialize()\n");
    const size_t report = out.find("\nstart-up, milliseconds ");
    ASSERT_NE(report, std::string::npos) << out;
    EXPECT_LT(initialized, report) << "the report comes after start-up's own lines";
    EXPECT_EQ(countOf(out, "start-up, milliseconds"), 1u) << "only the first frame reports";

    const std::string table = out.substr(report);
    double parts = 0.0;
    for (const char* name : {"program load", "GL context and driver", "first swap", "GL checks", "shaders", "textures",
                             "render target, passes", "models", "loading bar", "music start", "first frame"}) {
        const double ms = reportNumber(table, name);
        EXPECT_GE(ms, 0.0) << name << " is missing from:\n" << table;
        parts += ms;
    }
    for (int k = 0; k < 11; ++k)
        EXPECT_GE(reportNumber(table, "  scene " + std::to_string(k)), 0.0) << "scene " << k << ":\n" << table;
    EXPECT_NE(table.find("14 images"), std::string::npos) << table;
    // Rounded rows: the total is their sum within a millisecond each.
    const double total = reportNumber(table, "total");
    EXPECT_NEAR(total, parts, 10.0) << table;
    EXPECT_NEAR(reportNumber(table, "ours"), total - reportNumber(table, "GL context and driver"), 1.0) << table;
    // One thread cannot spend more processor time than time passes (the
    // start time is known to a clock tick).
    const double cpu = reportNumber(table, "total", 1);
    EXPECT_GT(cpu, 0.0) << table;
    EXPECT_LE(cpu, total + 10.0) << table;
    // The worker decoded the build's music while the rest loaded.
    EXPECT_GT(reportNumber(table, "music decode"), 0.0) << table;
    std::smatch hidden;
    ASSERT_TRUE(std::regex_search(table, hidden, std::regex("([0-9]+) of it hidden"))) << table;
    EXPECT_LE(std::stod(hidden[1].str()), reportNumber(table, "music decode") + 1.0) << table;
}

}  // namespace
