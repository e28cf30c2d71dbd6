#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/options/options.h"

namespace {

ParseResult parse(std::vector<const char*> args) {
    args.insert(args.begin(), "afterglow");
    return parseOptions(static_cast<int>(args.size()), args.data());
}

// The options an option list names at the heads of its entries: on lines
// that start "  --", each "--name" up to the description, past the
// arguments' upper-case names ("  --from MS, --to MS the span").
std::set<std::string> listedOptions(std::istream& lines) {
    std::set<std::string> options;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) != 0) continue;
        std::istringstream words(line.substr(2));
        for (std::string w; std::getline(words, w, ' ') && !w.empty();) {
            if (w.back() == ',') w.pop_back();
            if (w.rfind("--", 0) == 0)
                options.insert(w);
            else if (w.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos)
                break;
        }
    }
    return options;
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
             {{"--headless"}, "--headless"},  // playing needs a display
             {{"--headless", "--windowed", "--start", "1000"}, "--headless"},
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
    EXPECT_FALSE(r.options.headless);
    EXPECT_TRUE(r.options.shot);
    EXPECT_TRUE(r.options.windowed);  // a shot is exactly the requested size
    EXPECT_EQ(r.options.shotMs, 1000.0);
    EXPECT_EQ(r.options.shotPath, "out.png");
    EXPECT_EQ(r.options.width, 1280);

    for (const char* run : {"--shot", "--frames", "--capture", "--benchmark"}) {
        std::vector<const char*> args = {"--headless", run};
        if (std::string(run) == "--shot") args.push_back("1000");
        if (std::string(run) != "--benchmark") args.push_back("out");
        r = parse(args);
        EXPECT_TRUE(r.error.empty()) << run << ": " << r.error;
        EXPECT_TRUE(r.options.headless) << run;
    }

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

// README's list of options is written by hand: it must name the options
// --help names, no more and no fewer, and the parser must know each.
TEST(Options, ReadmeListsTheOptionsHelpListsAndTheParserTakesThem) {
    std::istringstream usage(usageText("afterglow"));
    std::string line;
    while (std::getline(usage, line) && line != "options:") {
    }
    std::stringstream helpOptions;
    while (std::getline(usage, line) && !line.empty()) helpOptions << line << "\n";
    const std::set<std::string> help = listedOptions(helpOptions);

    std::ifstream readme(AFTERGLOW_README);
    ASSERT_TRUE(readme) << AFTERGLOW_README;
    while (std::getline(readme, line) && line != "## Using it") {
    }
    std::stringstream block;
    while (std::getline(readme, line) && line != "```") {
    }
    while (std::getline(readme, line) && line != "```") block << line << "\n";
    const std::set<std::string> listed = listedOptions(block);

    ASSERT_TRUE(help.count("--windowed") && help.count("--version"))
        << "the options section of --help was not found whole";
    EXPECT_EQ(listed, help);
    for (const std::string& option : help) {
        const ParseResult r = parse({option.c_str()});
        EXPECT_EQ(r.error.find("unknown option"), std::string::npos) << option;
    }
}

}  // namespace
