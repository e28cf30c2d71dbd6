// The entry of the real program: a missing display explained, bad
// arguments named with exit code 2.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace {

TEST(CommandLine, NoDisplayIsExplained) {
    ProcessOptions noDisplay = within(30);
    noDisplay.unsetEnv = {"DISPLAY"};
    const ProcessResult r = afterglow({"--windowed"}, noDisplay);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("DISPLAY"), std::string::npos) << r.err;
}

TEST(CommandLine, BadArgumentsAreNamedWithExitCodeTwo) {
    for (const auto& [args, named] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"wide", "768"}, "wide"}, {{"400", "300"}, "400x300"}, {{"--fullscreen"}, "--fullscreen"},
             {{"-5", "-5"}, "-5x-5"}, {{"--shot", "1000", ""}, "--shot"}, {{"--start=soon"}, "'soon'"},
             {{"--fr", "1"}, "--frames or --from"}}) {
        const ProcessResult r = afterglow(args, within(30));
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    const ProcessResult help = afterglow({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--shot MS FILE"), std::string::npos);
    EXPECT_EQ(afterglow({"-h"}).out, help.out);
    // GNU's form: the version, then the copyright and the licence.
    const ProcessResult version = afterglow({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind(
                  "afterglow " AFTERGLOW_VERSION "\nCopyright 2026 The Afterglow developers\nLicense MIT (Expat)", 0),
              0u)
        << version.out;
    EXPECT_EQ(afterglow({"-V"}).out, version.out);
}

TEST(CommandLine, QuietLeavesOutTheLoadingLinesOnly) {
    TempDir dir;
    const ProcessResult loud = afterglow({"--shot", "1000", (dir / "loud.png").string()});
    ASSERT_EQ(loud.exitCode, 0) << loud.err;
    EXPECT_NE(loud.out.find("initialize()"), std::string::npos) << "the lines are printed by default";
    EXPECT_NE(loud.out.find("Compiling shader"), std::string::npos);
    for (const char* quiet : {"--quiet", "-q"}) {
        const ProcessResult r = afterglow({quiet, "--shot", "1000", (dir / "quiet.png").string()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "") << quiet;
        EXPECT_EQ(r.err, loud.err) << quiet << ": the messages on stderr stay";
    }
}

}  // namespace
