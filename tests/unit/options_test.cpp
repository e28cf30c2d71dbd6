#include <gtest/gtest.h>

#include <vector>

#include "runtime/options.h"

namespace {

ParseResult parse(std::vector<const char*> args) {
    args.insert(args.begin(), "afterglow");
    return parseOptions(static_cast<int>(args.size()), args.data());
}

// Every warning, one a line.
std::string warnings(const ParseResult& r) {
    std::string all;
    for (const std::string& w : r.warnings) all += w + "\n";
    return all;
}

TEST(Options, PlainFormKeepsDefaultsOrTakesBothSizes) {
    auto r = parse({});
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(r.options.width, 1024);
    EXPECT_EQ(r.options.height, 768);
    EXPECT_FALSE(r.options.windowed);

    r = parse({"800", "600"});
    EXPECT_EQ(r.options.width, 800);
    EXPECT_EQ(r.options.height, 600);

    r = parse({"1280"});  // one number alone is ignored, with a word about it
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(r.options.width, 1024);
    EXPECT_NE(warnings(r).find("1280"), std::string::npos);
}

TEST(Options, RejectsWhatCannotBeUsedAndNamesIt) {
    for (const auto& [args, named] : std::vector<std::pair<std::vector<const char*>, std::string>>{
             {{"wide", "600"}, "wide"},
             {{"800", "6x0"}, "6x0"},
             {{"511", "768"}, "511x768"},
             {{"1024", "100"}, "1024x100"},
             {{"99999", "768"}, "99999x768"},
             {{"--fullscreen"}, "--fullscreen"},
             {{"--start"}, "--start"},
             {{"--start", "soon"}, "soon"},
             {{"--start", "-5"}, "-5"},
             {{"--shot", "1000"}, "--shot"},
             {{"--shot", "300000", "x.png"}, "300000"},
             {{"--frames"}, "--frames"},
             {{"--frames", "d", "--fps", "0"}, "'0'"},
             {{"--frames", "d", "--fps", "ten"}, "ten"},
             {{"--frames", "d", "--from", "250000"}, "250000"},
             {{"--frames", "d", "--to"}, "--to"},
             {{"--frames", "d", "--from", "2000", "--to", "1000"}, "--from 2000"},
             {{"--frames", "d", "--from", "1000", "--to", "1000"}, "--to 1000"},
             {{"--frames", "d", "--shot", "1000", "x.png"}, "--shot"},
             {{"--frames", "d", "--frames", "e"}, "--frames"},
             {{"--frames", "d", "--capture", "v.mp4"}, "--capture"},
             {{"--capture"}, "--capture"},
             {{"--benchmark", "--capture", "v.mp4"}, "--benchmark"},
             {{"--benchmark", "--shot", "1000", "x.png"}, "--benchmark"},
             {{"--benchmark", "--json"}, "--json"},
             {{"--benchmark", "--from", "5000", "--to", "4000"}, "--from 5000"},
             // Negative numbers are sizes, not options.
             {{"-5", "-5"}, "-5x-5 is too small"},
             {{"800", "-600"}, "800x-600"},
             // An empty file name names nothing to write.
             {{"--shot", "1000", ""}, "--shot needs a PNG file name"},
             {{"--frames", ""}, "--frames needs a folder name"},
             {{"--capture", ""}, "--capture needs a video file name"},
             {{"--benchmark", "--json", ""}, "--json needs a file name"},
             // Outputs are named once: a second one would be dropped.
             {{"--shot", "1000", "a.png", "--shot", "2000", "b.png"}, "only one shot"},
             {{"--benchmark", "--json", "a.json", "--json", "b.json"}, "--json"},
         }) {
        const auto r = parse(args);
        EXPECT_NE(r.error.find(named), std::string::npos) << "error was: " << r.error;
    }
}

TEST(Options, ExtrasAndShots) {
    auto r = parse({"--windowed", "--start", "242500", "--silent"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_TRUE(r.options.windowed);
    EXPECT_TRUE(r.options.silent);
    EXPECT_EQ(r.options.startMs, 242500.0);

    r = parse({"1280", "720", "--shot", "1000", "out.png"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_TRUE(r.options.shot);
    EXPECT_TRUE(r.options.windowed);  // a shot is exactly the requested size
    EXPECT_EQ(r.options.shotMs, 1000.0);
    EXPECT_EQ(r.options.shotPath, "out.png");
    EXPECT_EQ(r.options.width, 1280);

    r = parse({"800", "600", "--frames", "out", "--fps", "10", "--from", "1000", "--to", "1500"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.capture, Options::Capture::Frames);
    EXPECT_EQ(r.options.capturePath, "out");
    EXPECT_EQ(r.options.offlineFps, 10);
    EXPECT_EQ(r.options.fromMs, 1000.0);
    EXPECT_EQ(r.options.toMs, 1500.0);
    EXPECT_TRUE(r.options.windowed);

    r = parse({"--capture", "out.mp4", "--to", "2000"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.capture, Options::Capture::Video);
    EXPECT_EQ(r.options.capturePath, "out.mp4");

    r = parse({"--frames", "out"});  // the whole presentation at 60 fps
    EXPECT_EQ(r.options.offlineFps, 60);
    EXPECT_EQ(r.options.fromMs, 0.0);
    EXPECT_EQ(r.options.toMs, 243200.0);

    r = parse({"--fps", "30"});  // without a capture there is nothing to pace
    EXPECT_TRUE(r.error.empty());
    EXPECT_NE(warnings(r).find("--fps"), std::string::npos);
    EXPECT_EQ(r.options.capture, Options::Capture::Off);

    // The benchmark paces the whole presentation at 10 fps unless told
    // otherwise, and plays in the window like playback does.
    r = parse({"--benchmark", "--json", "b.json"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_TRUE(r.options.benchmark);
    EXPECT_EQ(r.options.benchmarkJsonPath, "b.json");
    EXPECT_EQ(r.options.offlineFps, 10);
    EXPECT_EQ(r.options.toMs, 243200.0);
    EXPECT_FALSE(r.options.windowed);
    r = parse({"--fps", "25", "--benchmark", "--from", "1000", "--to", "3000"});
    EXPECT_TRUE(r.warnings.empty()) << warnings(r);
    EXPECT_EQ(r.options.offlineFps, 25);
    EXPECT_EQ(r.options.fromMs, 1000.0);
    EXPECT_NE(warnings(parse({"--json", "b.json"})).find("--json"), std::string::npos);

    r = parse({"--startup-report", "--windowed"});
    EXPECT_TRUE(r.options.startupReport);
    EXPECT_TRUE(r.warnings.empty()) << warnings(r);
    EXPECT_NE(warnings(parse({"--startup-report", "--shot", "1000", "x.png"})).find("--startup-report"), std::string::npos);

    r = parse({"--loop", "--windowed"});
    EXPECT_TRUE(r.options.loop);
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_NE(warnings(parse({"--loop", "--frames", "d"})).find("--loop"), std::string::npos);
    r = parse({"--dev", "--windowed", "--start", "5000"});
    EXPECT_TRUE(r.options.dev);
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_NE(warnings(parse({"--dev", "--benchmark"})).find("--dev"), std::string::npos);

    // Every warning is kept, not only the last; a repeated value keeps the
    // last one and says so.
    r = parse({"800", "600", "700", "--loop", "--shot", "1000", "x.png", "--json", "b.json"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.warnings.size(), 3u) << warnings(r);
    for (const char* named : {"'700'", "--loop", "--json"}) EXPECT_NE(warnings(r).find(named), std::string::npos) << named;
    r = parse({"--frames", "d", "--fps", "10", "--fps", "30", "--from", "1000", "--from", "2000"});
    EXPECT_EQ(r.options.offlineFps, 30);
    EXPECT_EQ(r.options.fromMs, 2000.0);
    EXPECT_EQ(r.warnings.size(), 2u) << warnings(r);
    EXPECT_NE(warnings(r).find("the last (30)"), std::string::npos) << warnings(r);

    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
    const std::string usage = usageText("afterglow");
    for (const char* option : {"--windowed", "--start", "--silent", "--shot", "--loop", "--frames", "--capture", "--fps", "--from",
                               "--to", "--benchmark", "--json", "--startup-report", "--dev", "--help", "--version"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(Options, PathsTheUserNamesKeepTheirMeaningAwayFromTheStartDirectory) {
    auto r = parse({"--shot", "1000", "out/a.png"});
    anchorUserPaths(r.options, "/home/viewer");
    EXPECT_EQ(r.options.shotPath, "/home/viewer/out/a.png");
    EXPECT_TRUE(r.options.capturePath.empty());  // not given: stays unset

    r = parse({"--capture", "v.mp4"});
    anchorUserPaths(r.options, "/home/viewer");
    EXPECT_EQ(r.options.capturePath, "/home/viewer/v.mp4");

    r = parse({"--benchmark", "--json", "b.json"});
    anchorUserPaths(r.options, "/home/viewer");
    EXPECT_EQ(r.options.benchmarkJsonPath, "/home/viewer/b.json");

    r = parse({"--frames", "/tmp/frames"});
    anchorUserPaths(r.options, "/home/viewer");
    EXPECT_EQ(r.options.capturePath, "/tmp/frames");
}

}  // namespace
