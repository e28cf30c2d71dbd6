#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/options/options.h"

namespace {

ParseResult parse(std::vector<const char*> args) {
    args.insert(args.begin(), "afterglow");
    return parseOptions(static_cast<int>(args.size()), args.data());
}

// The options an option list names at the heads of its entries, with their
// values' names: on lines that start "  -", each "-h" or "--shot MS FILE"
// before the words ("  --from MS, --to MS the span" names two).
std::set<std::string> listedOptions(std::istream& lines) {
    std::set<std::string> options;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  -", 0) != 0) continue;
        std::istringstream words(line.substr(2));
        std::string form;
        for (std::string w; std::getline(words, w, ' ') && !w.empty();) {
            const bool last = w.back() == ',';
            if (last) w.pop_back();
            if (w.rfind("-", 0) == 0)
                form = w;
            else if (!form.empty() && w.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ/.") == std::string::npos)
                form += " " + w;
            else
                break;
            if (last) options.insert(std::exchange(form, ""));
        }
        if (!form.empty()) options.insert(form);
    }
    return options;
}

// What the table says an option list must name.
std::set<std::string> tableOptions() {
    std::set<std::string> options;
    for (const OptionEntry& option : optionTable()) {
        std::string form = "--" + std::string(option.name);
        if (!option.arguments.empty()) form += " " + std::string(option.arguments);
        options.insert(form);
        if (option.shortName) options.insert(std::string{'-', option.shortName});
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
             // The quality, the parts of a split capture and the join.
             {{"--capture", "v.mp4", "--crf", "52"}, "'52'"},
             {{"--capture", "v.mp4", "--crf", "-1"}, "'-1'"},
             {{"--capture", "v.mp4", "--part", "3/2"}, "'3/2'"},
             {{"--capture", "v.mp4", "--part", "0/2"}, "'0/2'"},
             {{"--capture", "v.mp4", "--part", "2"}, "'2'"},
             {{"--capture", "v.mp4", "--part", "1/x"}, "'1/x'"},
             {{"--part", "1/2"}, "--part is for --capture"},
             {{"--join", "all.mp4"}, "--join needs the part files"},
             {{"--join", "", "a.mp4"}, "--join needs the joined video's file name"},
             {{"--join", "all.mp4", "a.mp4", "--capture", "v.mp4"}, "--join runs on its own"},
             {{"--join", "all.mp4", "a.mp4", "--join", "b.mp4"}, "only one joined video"},
         }) {
        const auto r = parse(args);
        EXPECT_NE(r.error.find(named), std::string::npos) << "error was: " << r.error;
    }
}

TEST(Options, QualityPartsAndJoin) {
    auto r = parse({"1920", "1080", "--capture", "v.mkv", "--crf", "0", "--part", "3/8"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << warnings(r);
    EXPECT_EQ(r.options.crf, 0);
    EXPECT_EQ(r.options.partIndex, 3);
    EXPECT_EQ(r.options.partCount, 8);
    EXPECT_EQ(r.options.width, 1920);

    r = parse({"--capture", "v.mp4"});  // the whole of it, at the quality --help names
    EXPECT_EQ(r.options.crf, kDefaultCrf);
    EXPECT_EQ(r.options.partCount, 0);
    for (const OptionEntry& option : optionTable()) {
        if (option.name == "crf") {
            EXPECT_NE(option.help.find("default " + std::to_string(kDefaultCrf)), std::string::npos);
        }
    }
    r = parse({"--frames", "d", "--part", "1/1"});
    EXPECT_TRUE(r.error.empty()) << r.error;
    EXPECT_NE(warnings(parse({"--frames", "d", "--crf", "20"})).find("--crf"), std::string::npos);

    // Every operand after the output is a part; there is no size.
    r = parse({"--join", "all.mp4", "p2.mp4", "p1.mp4", "--", "800"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.joinPath, "all.mp4");
    EXPECT_EQ(r.options.joinParts, (std::vector<std::string>{"p2.mp4", "p1.mp4", "800"}));
    EXPECT_EQ(r.options.width, 1024);
    EXPECT_NE(warnings(parse({"--join", "all.mp4", "p1.mp4", "--from", "1000"})).find("the parts' own"),
              std::string::npos);
    EXPECT_NE(warnings(parse({"--join", "all.mp4", "p1.mp4", "--headless"})).find("a join draws nothing"),
              std::string::npos);
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

    // A clock log goes with every run; one at a time, with a name.
    r = parse({"--clock-log", "clock.tsv", "--windowed"});
    EXPECT_EQ(r.options.clockLogPath, "clock.tsv");
    EXPECT_TRUE(r.warnings.empty()) << warnings(r);
    EXPECT_EQ(parse({"--benchmark", "--clock-log=c.tsv"}).options.clockLogPath, "c.tsv");
    EXPECT_EQ(parse({"--clock-log", "a", "--clock-log", "b"}).error, "--clock-log: only one log at a time");
    EXPECT_EQ(parse({"--clock-log="}).error, "--clock-log needs a file name");

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
}

// The forms getopt_long brings: values after "=", "--" before the sizes,
// short -h and -V, and any abbreviation that names one option.
TEST(Options, GnuFormsTakeTheSameValues) {
    auto r = parse({"--start=242000", "--windowed", "--silent"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.startMs, 242000.0);
    EXPECT_TRUE(r.options.windowed);
    EXPECT_TRUE(r.options.silent);

    r = parse({"--bench", "--from=20000", "--to=21000"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_TRUE(r.options.benchmark);
    EXPECT_EQ(r.options.fromMs, 20000.0);
    EXPECT_EQ(r.options.toMs, 21000.0);
    EXPECT_TRUE(r.warnings.empty()) << warnings(r);

    r = parse({"--shot=1000", "x.png", "800", "600"});  // the file is the next argument
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.shotMs, 1000.0);
    EXPECT_EQ(r.options.shotPath, "x.png");
    EXPECT_EQ(r.options.width, 800);

    EXPECT_TRUE(parse({"-V"}).options.version);
    EXPECT_TRUE(parse({"-h"}).options.help);
    r = parse({"-hV"});
    EXPECT_TRUE(r.options.help && r.options.version);

    // An exact name wins over a longer one it begins; a value may start with
    // dashes.
    r = parse({"--start", "5", "--startup", "--wind"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.startMs, 5.0);
    EXPECT_TRUE(r.options.startupReport);
    EXPECT_TRUE(r.options.windowed);
    EXPECT_EQ(parse({"--frames", "--windowed"}).options.capturePath, "--windowed");

    // After "--" everything is a size, in the plain form's ways.
    r = parse({"--windowed", "--", "800", "600"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.width, 800);
    EXPECT_TRUE(r.options.windowed);
    r = parse({"--", "--silent"});
    EXPECT_FALSE(r.options.silent);
    EXPECT_NE(warnings(r).find("'--silent' alone"), std::string::npos) << warnings(r);
    EXPECT_NE(parse({"--", "-100", "768"}).error.find("size -100x768 is too small"), std::string::npos);
    r = parse({"800", "600", "-700", "--silent"});  // a negative number between options is an extra size
    EXPECT_TRUE(r.options.silent);
    EXPECT_NE(warnings(r).find("extra argument '-700'"), std::string::npos) << warnings(r);

    for (const auto& [args, named] : std::vector<std::pair<std::vector<const char*>, std::string>>{
             {{"--st"}, "'--st' is ambiguous: it could be --start or --startup-report"},
             {{"--frames", "d", "--fr=1"}, "'--fr=1' is ambiguous: it could be --frames or --from"},
             {{"--windowed=yes"}, "--windowed takes no value"},
             {{"--fullscreen=1"}, "unknown option '--fullscreen=1'"},
             {{"-x"}, "unknown option '-x'"},
             {{"-hx"}, "unknown option '-x' in '-hx'"},
             {{"--shot=1000"}, "--shot needs a time in milliseconds and a PNG file name"},
             {{"--frames", "d", "--fps="}, "--fps: '' is not a whole number"},
             {{"--start="}, "--start: '' is not a time"},
             {{"--json"}, "--json needs a file name"},
         }) {
        const auto failed = parse(args);
        EXPECT_NE(failed.error.find(named), std::string::npos) << "error was: " << failed.error;
    }

    // A parse that stopped inside "-xh" leaves nothing for the next one.
    EXPECT_FALSE(parse({"-xh"}).error.empty());
    r = parse({"--windowed"});
    EXPECT_TRUE(r.error.empty()) << r.error;
    EXPECT_FALSE(r.options.help);
}

// Every option and list item keeps all its words, in order, within a
// terminal's 80 columns.
TEST(Options, HelpKeepsEveryWordWithinEightyColumns) {
    const std::string usage = usageText("afterglow");
    std::string flowing;  // the words, one space apart
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80u) << line;
        std::istringstream words(line);
        for (std::string w; words >> w;) flowing += w + " ";
    }
    auto collapsed = [](std::string_view text) {
        std::istringstream words{std::string(text)};
        std::string out;
        for (std::string w; words >> w;) out += w + " ";
        return out;
    };
    for (const OptionEntry& option : optionTable()) {
        std::string entry = "--" + std::string(option.name) + " " + std::string(option.arguments) + " ";
        EXPECT_NE(flowing.find(collapsed(entry) + collapsed(option.help)), std::string::npos) << option.name;
    }
    for (const HelpSection& section : helpSections()) {
        EXPECT_NE(flowing.find(std::string(section.heading) + ": " + collapsed(section.intro)), std::string::npos);
        for (const HelpItem& item : section.items)
            EXPECT_NE(flowing.find(collapsed(item.tag) + collapsed(item.words)), std::string::npos) << item.tag;
    }
    EXPECT_NE(flowing.find(collapsed(programDescription())), std::string::npos);
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

    r = parse({"--join", "all.mp4", "parts/1.mp4", "/farm/2.mp4"});
    anchorUserPaths(r.options, "/home/viewer");
    EXPECT_EQ(r.options.joinPath, "/home/viewer/all.mp4");
    EXPECT_EQ(r.options.joinParts, (std::vector<std::string>{"/home/viewer/parts/1.mp4", "/farm/2.mp4"}));
}

// The manual's list of options is written by hand, --help's from the
// table: both must name the table's options with their values, no more and
// no fewer.
TEST(Options, ManualAndHelpListTheTablesOptions) {
    std::istringstream usage(usageText("afterglow"));
    std::string line;
    while (std::getline(usage, line) && line != "options:") {
    }
    std::stringstream helpOptions;
    while (std::getline(usage, line) && !line.empty()) helpOptions << line << "\n";

    std::ifstream manual(AFTERGLOW_MANUAL);
    ASSERT_TRUE(manual) << AFTERGLOW_MANUAL;
    while (std::getline(manual, line) && line != "## Options") {
    }
    std::stringstream block;
    while (std::getline(manual, line) && line != "```") {
    }
    while (std::getline(manual, line) && line != "```") block << line << "\n";

    const std::set<std::string> table = tableOptions();
    ASSERT_TRUE(table.count("--shot MS FILE") && table.count("-V"));
    EXPECT_EQ(listedOptions(block), table) << "docs/manual.md's \"Options\"";
    EXPECT_EQ(listedOptions(helpOptions), table) << "--help";
}

}  // namespace
