#include "runtime/options/options.h"

#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <vector>

#include "runtime/environment/environment.h"
#include "runtime/timeline/timeline.h"

namespace {

bool parseInt(const char* text, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && *end == '\0';
}

bool parseMs(const char* text, double& value) {
    long ms = 0;
    if (!parseInt(text, ms) || ms < 0 || ms > kPresentationEndMs) return false;
    value = static_cast<double>(ms);
    return true;
}

std::string msRange() { return "0.." + std::to_string(kPresentationEndMs); }

// "-100" is a size to refuse as too small, not an option.
bool isNegativeNumber(const char* arg) {
    long ignored = 0;
    return arg[0] == '-' && arg[1] != '\0' && parseInt(arg, ignored);
}

std::string dashed(const OptionEntry& option) { return "--" + std::string(option.name); }

std::string missingValue(const OptionEntry& option) { return dashed(option) + " needs " + std::string(option.needs); }

// The ways an option sets its field, for the table below.

template <bool Options::*flag>
std::string setFlag(const OptionEntry&, const char* const*, Options& o) {
    o.*flag = true;
    return {};
}

template <double Options::*field>
std::string setMs(const OptionEntry& option, const char* const* values, Options& o) {
    if (parseMs(values[0], o.*field)) return {};
    return dashed(option) + ": '" + values[0] + "' is not a time in " + msRange() + " ms";
}

std::string setShot(const OptionEntry& option, const char* const* values, Options& o) {
    // Two shots cannot both be written: one run renders one frame.
    if (o.shot) return "--shot: only one shot at a time";
    if (std::string error = setMs<&Options::shotMs>(option, values, o); !error.empty()) return error;
    o.shotPath = values[1];
    if (o.shotPath.empty()) return "--shot needs a PNG file name after the time";
    o.shot = true;
    return {};
}

template <Options::Capture kind>
std::string setCapture(const OptionEntry& option, const char* const* values, Options& o) {
    if (o.capture != Options::Capture::Off) return dashed(option) + ": only one capture at a time";
    o.capture = kind;
    o.capturePath = values[0];
    return o.capturePath.empty() ? missingValue(option) : std::string();
}

std::string setJson(const OptionEntry& option, const char* const* values, Options& o) {
    if (!o.benchmarkJsonPath.empty()) return "--json: only one report file at a time";
    o.benchmarkJsonPath = values[0];
    return o.benchmarkJsonPath.empty() ? missingValue(option) : std::string();
}

std::string setClockLog(const OptionEntry& option, const char* const* values, Options& o) {
    if (!o.clockLogPath.empty()) return "--clock-log: only one log at a time";
    o.clockLogPath = values[0];
    return o.clockLogPath.empty() ? missingValue(option) : std::string();
}

// A whole number in low..high.
template <int Options::*field, long low, long high>
std::string setWholeNumber(const OptionEntry& option, const char* const* values, Options& o) {
    long value = 0;
    if (!parseInt(values[0], value) || value < low || value > high)
        return dashed(option) + ": '" + values[0] + "' is not a whole number in " + std::to_string(low) + ".." +
               std::to_string(high);
    o.*field = static_cast<int>(value);
    return {};
}

std::string setPart(const OptionEntry&, const char* const* values, Options& o) {
    const std::string_view text = values[0];
    const size_t slash = text.find('/');
    long k = 0, n = 0;
    if (slash == std::string_view::npos || !parseInt(std::string(text.substr(0, slash)).c_str(), k) ||
        !parseInt(std::string(text.substr(slash + 1)).c_str(), n) || k < 1 || k > n || n > kMaxParts)
        return "--part: '" + std::string(text) +
               "' is not K/N, part K of N with 1 <= K <= N <= " + std::to_string(kMaxParts);
    o.partIndex = static_cast<int>(k);
    o.partCount = static_cast<int>(n);
    return {};
}

std::string setJoin(const OptionEntry& option, const char* const* values, Options& o) {
    if (!o.joinPath.empty()) return "--join: only one joined video at a time";
    o.joinPath = values[0];
    return o.joinPath.empty() ? missingValue(option) : std::string();
}

// In --help's order. A new option is one entry here and its field in Options.
// clang-format off
constexpr OptionEntry kOptions[] = {
    {"windowed", 0, "", "", "a normal window of the given size instead of full screen",
     setFlag<&Options::windowed>},
    {"start", 0, "MS", "a time in milliseconds", "begin at MS milliseconds of music",
     setMs<&Options::startMs>},
    {"silent", 0, "", "", "no sound: the clock runs on wall time",
     setFlag<&Options::silent>},
    {"loop", 0, "", "", "at the end of the music start again from 0 (Esc still quits)",
     setFlag<&Options::loop>},
    {"dev", 0, "", "",
     "dev mode while playing: the keys below, and a line with the music time, the scene and the frame rate",
     setFlag<&Options::dev>},
    {"shot", 0, "MS FILE", "a time in milliseconds and a PNG file name",
     "render the frame at MS offline (fixed 60 fps clock from the start of its scene, no sound) into FILE as "
     "PNG, then exit",
     setShot},
    {"frames", 0, "DIR", "a folder name",
     "render offline and write every frame as DIR/frame000000.png, DIR/frame000001.png, ... (the folder is "
     "made), then exit",
     setCapture<Options::Capture::Frames>},
    {"capture", 0, "FILE", "a video file name",
     "render offline into a video with the music through ffmpeg (on PATH): .mp4, .mov and .mkv get what a video "
     "site expects, H.264 High 4:2:0 in BT.709 with AAC at 48 kHz (Esc or Ctrl+C stops it and removes the "
     "unfinished file)",
     setCapture<Options::Capture::Video>},
    {"crf", 0, "N", "a quality number",
     "the quality of --capture's video: x264's constant rate factor, 0 (lossless) to 51; lower is better and "
     "larger (default 16, which looks the same as lossless)",
     setWholeNumber<&Options::crf, 0, kMaxCrf>},
    {"part", 0, "K/N", "a part number and a number of parts, such as 2/8",
     "with --capture or --frames: only the K-th of N equal, consecutive slices of the span's frames, drawn as "
     "in one run of the whole span; a video part has no sound (--join adds it)",
     setPart},
    {"join", 0, "OUT PART...", "the joined video's file name",
     "join the video parts of a split capture (in any order) into OUT without encoding them again, and add "
     "the music once; needs no display and no GL",
     setJoin},
    {"benchmark", 0, "", "",
     "play offline as fast as the machine can, without waiting for vertical sync, and print the start-up "
     "time, the GL renderer, and per scene and in all: frames, mean fps, 1% low fps, worst frame, fragments "
     "drawn and how close that is to the fill rate",
     setFlag<&Options::benchmark>},
    {"json", 0, "FILE", "a file name", "with --benchmark: also write the numbers to FILE as JSON",
     setJson},
    {"headless", 0, "", "",
     "for --shot, --frames, --capture and --benchmark: draw off-screen through EGL, with no window and no X "
     "display (what they do by themselves when there is no display); the benchmark then takes sizes larger "
     "than the screen",
     setFlag<&Options::headless>},
    {"startup-report", 0, "", "",
     "once the first frame is shown, print how long each step of the start-up took in milliseconds "
     "(--benchmark always does)",
     setFlag<&Options::startupReport>},
    {"clock-log", 0, "FILE", "a file name",
     "write a tab-separated line per drawn frame to FILE, after a header: CLOCK_MONOTONIC nanoseconds when "
     "the frame read the music clock, musicTimeMs, frameDeltaMs, the audio frames handed to the sound device "
     "so far (0 on the steady and the offline clocks), CLOCK_MONOTONIC nanoseconds right after the swap",
     setClockLog},
    {"fps", 0, "N", "a number of frames per second",
     "frames per second of music for --frames, --capture (default 60) and --benchmark (default 10)",
     setWholeNumber<&Options::offlineFps, 1, kMaxOfflineFps>},
    {"from", 0, "MS", "a time in milliseconds",
     "first frame of an offline run at MS (default 0); it starts from the start of its scene, as a shot does",
     setMs<&Options::fromMs>},
    {"to", 0, "MS", "a time in milliseconds", "an offline run ends before MS (default 243200)",
     setMs<&Options::toMs>},
    {"quiet", 'q', "", "",
     "no loading lines on stdout (what --benchmark and --startup-report print still comes there); messages on "
     "stderr stay",
     setFlag<&Options::quiet>},
    {"help", 'h', "", "", "this text",
     setFlag<&Options::help>},
    {"version", 'V', "", "", "the version, the copyright and the licence",
     setFlag<&Options::version>},
};

constexpr HelpItem kKeys[] = {
    {"Space", "pause and resume, music and picture together"},
    {"Left, Right", "seek 1 s back or forward; with Shift 10 s"},
    {"PgUp, PgDn", "the start of the previous or next scene"},
    {"Home", "back to 0"},
    {". ,", "while paused: one frame (1/60 s) forward or back"},
    {"R", "compile every shader pair in shaders/ again (a pair that fails keeps its previous version)"},
    {"T", "decode every image in Textures/ again"},
    {"H", "hide or show the line"},
};

constexpr HelpItem kFiles[] = {
    {"demo.mp3, Textures/, shaders/, models/",
     "the data, read from the working directory when it holds all of it; otherwise from the folder of the "
     "program, then from the installed copy, share/games/afterglow beside the program's games/ folder "
     "(/usr/share/games/afterglow when installed as a package) or the older share/afterglow. A folder that "
     "holds only part of the data is named on stderr and passed over."},
};

// clang-format on

// The program's rows of the table of environment variables, as items:
// "AFTERGLOW_DATA_DIR=DIR" and what it changes.
std::span<const HelpItem> environmentItems() {
    static const std::vector<std::string> tags = [] {
        std::vector<std::string> out;
        for (const EnvironmentEntry& e : programVariables())
            out.push_back(std::string(e.name) + (e.value.empty() ? "" : "=" + std::string(e.value)));
        return out;
    }();
    static const std::vector<HelpItem> items = [] {
        std::vector<HelpItem> out;
        for (size_t i = 0; i < tags.size(); ++i) out.push_back({tags[i], programVariables()[i].words});
        return out;
    }();
    return items;
}

const HelpSection kHelpSections[] = {
    {"keys",
     "These act only with --dev; without it only Esc and the mouse do anything.\n"
     "Every seek with --dev (the mouse's too) shows the frame as --shot shows it, and says on stderr where it "
     "landed.",
     kKeys},
    {"environment", "", environmentItems()},
    {"files", "", kFiles},
};

constexpr std::string_view kDescription =
    "Plays the presentation full screen at width x height (default 1024 768, at least 512 each way) with the "
    "music in demo.mp3 as its clock.\n"
    "Esc quits; releasing the left/right mouse button seeks 1 s forward/back.";

// --help's layout: lines that fit a terminal of the usual width, and the
// words of every item in one column.
constexpr size_t kHelpWidth = 80;
constexpr size_t kHelpColumn = 21;

// Appends text to out, filling lines to kHelpWidth: the first goes on from
// line (a tag, an indent or nothing), the later ones, and each one that a
// '\n' in text starts, from the column indent.
void appendFilled(std::string& out, std::string line, std::string_view text, size_t indent) {
    const std::string margin(indent, ' ');
    bool wordsOnLine = false;
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find_first_of(" \n", at), text.size());
        const std::string_view word = text.substr(at, end - at);
        if (!word.empty()) {
            if (wordsOnLine && line.size() + 1 + word.size() > kHelpWidth) {
                out += line + "\n";
                line = margin;
                wordsOnLine = false;
            }
            if (wordsOnLine) line += ' ';
            line += word;
            wordsOnLine = true;
        }
        if (end < text.size() && text[end] == '\n') {
            out += line + "\n";
            line = margin;
            wordsOnLine = false;
        }
        at = end + 1;
    }
    out += line + "\n";
}

// "  --shot MS FILE     render the frame ...": a tag too long for the
// column goes on a line of its own.
void appendItem(std::string& out, std::string_view tag, std::string_view words) {
    std::string line = "  " + std::string(tag);
    if (line.size() + 2 > kHelpColumn) {
        out += line + "\n";
        line.clear();
    }
    line.resize(kHelpColumn, ' ');
    appendFilled(out, line, words, kHelpColumn);
}

// The options glibc's parser is given: each long option returns its index
// in the table plus kFirstLongCode, clear of the short options' characters.
// The names are the table's literals, so they end in '\0' as getopt reads
// them.
constexpr int kFirstLongCode = 256;

std::vector<option> longOptions() {
    std::vector<option> options;
    for (const OptionEntry& entry : kOptions)
        options.push_back({entry.name.data(), entry.arguments.empty() ? no_argument : required_argument, nullptr,
                           kFirstLongCode + static_cast<int>(options.size())});
    options.push_back({});
    return options;
}

// "-" first: every argument comes back in its place, the sizes as code 1,
// so a negative size can be taken before getopt reads it as options; ":"
// next: a missing value is told apart from an unknown option, and glibc
// prints nothing of its own.
std::string shortOptions() {
    std::string letters = "-:";
    for (const OptionEntry& entry : kOptions) {
        if (!entry.shortName) continue;
        letters += entry.shortName;
        if (!entry.arguments.empty()) letters += ':';
    }
    return letters;
}

bool takesOperands(const OptionEntry& entry) { return entry.arguments.ends_with("..."); }

size_t valueCount(const OptionEntry& entry) {
    if (entry.arguments.empty()) return 0;
    return 1 + std::count(entry.arguments.begin(), entry.arguments.end(), ' ') - (takesOperands(entry) ? 1 : 0);
}

// The option getopt returned code for: a long one by its place in the
// table, a short one by its letter.
const OptionEntry* entryFor(int code) {
    if (code >= kFirstLongCode) return &kOptions[code - kFirstLongCode];
    for (const OptionEntry& entry : kOptions)
        if (code != 0 && entry.shortName == code) return &entry;
    return nullptr;
}

// What getopt refused in arg ("--fr", "--windowed=yes", "-x" or a letter
// of "-hx"), in plain words. glibc reports an ambiguous abbreviation as an
// unknown option, so the table is asked which options it could be.
std::string refusal(std::string_view arg, int code) {
    const std::string quoted = "'" + std::string(arg) + "'";
    if (code >= kFirstLongCode) return dashed(kOptions[code - kFirstLongCode]) + " takes no value: " + quoted;
    if (code != 0) {
        const std::string letter = {'-', static_cast<char>(code)};
        return "unknown option '" + letter + "'" + (arg == letter ? "" : " in " + quoted);
    }
    if (arg.starts_with("--")) {
        const std::string_view name = arg.substr(2, arg.find('=') - 2);
        std::vector<std::string> candidates;
        for (const OptionEntry& entry : kOptions)
            if (!name.empty() && entry.name.starts_with(name)) candidates.push_back(dashed(entry));
        if (candidates.size() > 1) {
            std::string list = candidates[0];
            for (size_t k = 1; k < candidates.size(); ++k)
                list += (k + 1 < candidates.size() ? ", " : " or ") + candidates[k];
            return "option " + quoted + " is ambiguous: it could be " + list;
        }
    }
    return "unknown option " + quoted;
}

}  // namespace

std::span<const OptionEntry> optionTable() { return kOptions; }
std::string_view programDescription() { return kDescription; }
std::span<const HelpSection> helpSections() { return kHelpSections; }

std::string versionText(std::string_view version) {
    std::string text = "afterglow " + std::string(version) + "\n";
    for (std::string_view line : {kCopyrightLine, kLicenceLine}) text += std::string(line) + "\n";
    return text +
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

std::string usageText(const char* program) {
    std::string text =
        "usage: " + std::string(program ? program : "afterglow") + " " + std::string(kSynopsisArguments) + "\n\n";
    appendFilled(text, "", kDescription, 0);
    text += "\noptions:\n";
    for (const OptionEntry& entry : kOptions) {
        std::string tag = entry.shortName ? std::string{'-', entry.shortName, ',', ' '} : "";
        tag += dashed(entry);
        if (!entry.arguments.empty()) tag += " " + std::string(entry.arguments);
        appendItem(text, tag, entry.help);
    }
    for (const HelpSection& section : kHelpSections) {
        text += "\n" + std::string(section.heading) + ":\n";
        if (!section.intro.empty()) appendFilled(text, "", section.intro, 0);
        for (const HelpItem& item : section.items) appendItem(text, item.tag, item.words);
    }
    return text;
}

void anchorUserPaths(Options& options, const std::filesystem::path& base) {
    std::vector<std::string*> paths = {&options.shotPath, &options.capturePath, &options.benchmarkJsonPath,
                                       &options.joinPath};
    for (std::string& part : options.joinParts) paths.push_back(&part);
    for (std::string* path : paths) {
        if (!path->empty() && std::filesystem::path(*path).is_relative()) *path = (base / *path).string();
    }
}

namespace {

// What the command line held besides the options' values, and which options
// it named.
struct CommandLine {
    std::vector<const char*> operands;  // the size, or the parts of a join
    std::vector<bool> given = std::vector<bool>(std::size(kOptions));

    bool named(std::string_view name) const {
        for (size_t k = 0; k < given.size(); ++k)
            if (kOptions[k].name == name) return given[k];
        return false;
    }
};

// The options, applied to o in the order given; the rest of the arguments
// go to line.operands. Returns what was wrong, if anything.
std::string readOptions(int argc, const char* const* argv, Options& o, CommandLine& line,
                        std::vector<std::string>& warnings) {
    std::vector<const char*>& operands = line.operands;
    // getopt takes the array as its own to reorder; the strings stay as
    // they are. The first argument cannot be an option's value, so a
    // negative size there is taken now: the call that resets glibc's parser
    // (optind 0) reads it at once.
    std::vector<char*> args;
    for (int k = 0; k < argc; ++k) args.push_back(const_cast<char*>(argv[k]));
    if (args.empty()) args.push_back(const_cast<char*>("afterglow"));
    while (args.size() > 1 && isNegativeNumber(args[1])) {
        operands.push_back(args[1]);
        args.erase(args.begin() + 1);
    }
    const int count = static_cast<int>(args.size());
    const std::vector<option> longs = longOptions();
    const std::string shorts = shortOptions();

    opterr = 0;
    optind = 0;
    for (;;) {
        if (optind > 0 && optind < count && isNegativeNumber(args[optind])) {
            operands.push_back(args[optind++]);
            continue;
        }
        // The argument getopt goes on with (after a reset, the first), for
        // what it refuses: it reports no more than a code.
        const char* const arg = args[std::min(std::max(optind, 1), count - 1)];
        const int code = getopt_long(count, args.data(), shorts.c_str(), longs.data(), nullptr);
        if (code == -1) break;
        if (code == 1) {
            operands.push_back(optarg);
            continue;
        }
        const OptionEntry* entry = entryFor(code == ':' ? optopt : code);
        if (code == '?' || !entry) return refusal(arg, optopt);
        if (code == ':') return missingValue(*entry);
        std::vector<const char*> values;
        if (!entry->arguments.empty()) values.push_back(optarg);
        // getopt hands over one value; "--shot MS FILE" takes the next too.
        while (values.size() < valueCount(*entry)) {
            if (optind >= count) return missingValue(*entry);
            values.push_back(args[optind++]);
        }
        if (std::string error = entry->apply(*entry, values.data(), o); !error.empty()) return error;
        const size_t index = static_cast<size_t>(entry - kOptions);
        // The last value counts, as in most programs, but a repeat is often
        // a mistake in a long command line. (An output given twice has
        // failed above.)
        if (line.given[index] && !values.empty())
            warnings.push_back(dashed(*entry) + " is given more than once; the last (" + values[0] + ") counts");
        line.given[index] = true;
    }
    // After "--": operands only.
    for (int k = optind; k < count; ++k) operands.push_back(args[k]);
    return {};
}

// The operands: a join's parts, or the picture's width and height.
std::string takeOperands(const std::vector<const char*>& operands, Options& o, std::vector<std::string>& warnings) {
    if (!o.joinPath.empty()) {
        // A join has no picture size.
        o.joinParts.assign(operands.begin(), operands.end());
        if (o.joinParts.empty()) return "--join needs the part files after the output";
        if (std::find(o.joinParts.begin(), o.joinParts.end(), std::string()) != o.joinParts.end())
            return "--join: a part file name is empty";
        return {};
    }
    if (operands.size() == 1) {
        warnings.push_back("a size needs both width and height; '" + std::string(operands[0]) + "' alone is ignored");
        return {};
    }
    if (operands.empty()) return {};
    long w = 0, h = 0;
    if (!parseInt(operands[0], w)) return "width '" + std::string(operands[0]) + "' is not a number";
    if (!parseInt(operands[1], h)) return "height '" + std::string(operands[1]) + "' is not a number";
    if (w < kMinSize || h < kMinSize)
        return "size " + std::to_string(w) + "x" + std::to_string(h) + " is too small: at least " +
               std::to_string(kMinSize) + " each way";
    if (w > kMaxSize || h > kMaxSize)
        return "size " + std::to_string(w) + "x" + std::to_string(h) + " is too large: at most " +
               std::to_string(kMaxSize) + " each way";
    o.width = static_cast<int>(w);
    o.height = static_cast<int>(h);
    for (size_t k = 2; k < operands.size(); ++k)
        warnings.push_back("extra argument '" + std::string(operands[k]) + "' is ignored");
    return {};
}

// The run mode the options make together: what cannot go together fails,
// what does not apply is said and ignored, and the span gets its defaults.
std::string settleRunMode(const CommandLine& line, Options& o, std::vector<std::string>& warnings) {
    auto warn = [&](const std::string& message) { warnings.push_back(message); };
    const bool joining = !o.joinPath.empty();
    const bool capturing = o.capture != Options::Capture::Off;
    const bool spanGiven = line.named("fps") || line.named("from") || line.named("to");
    if (joining && (o.shot || capturing || o.benchmark))
        return "--join runs on its own, without --shot, a capture or --benchmark";
    if (o.partCount && !capturing) return "--part is for --capture and --frames";
    if (line.named("crf") && o.capture != Options::Capture::Video) warn("--crf only applies to --capture; ignored");
    if (o.benchmark && (o.shot || capturing)) return "--benchmark runs on its own, without --shot or a capture";
    if (o.shot && capturing) return "--shot and a capture cannot run together";
    if (o.loop && (o.shot || capturing || o.benchmark)) warn("--loop only applies to playback; ignored");
    if (joining && spanGiven) warn("--fps, --from and --to of a join are the parts' own; ignored");
    if (o.headless && joining) warn("--headless: a join draws nothing; ignored");
    if (o.headless && !(o.shot || capturing || o.benchmark || joining))
        return "--headless is for --shot, --frames, --capture and --benchmark: playing needs a display";
    if (o.dev && (o.shot || capturing || o.benchmark)) warn("--dev only applies to playback; ignored");
    if (!o.benchmarkJsonPath.empty() && !o.benchmark) warn("--json only applies to --benchmark; ignored");
    if (o.startupReport && (o.shot || capturing))
        warn("--startup-report only applies to playback and --benchmark; ignored");
    if (capturing || o.benchmark) {
        if (!line.named("fps")) o.offlineFps = o.benchmark ? kBenchmarkFps : kCaptureFps;
        if (o.fromMs >= o.toMs)
            return "--from " + std::to_string(static_cast<long>(o.fromMs)) + " must come before --to " +
                   std::to_string(static_cast<long>(o.toMs));
        if (capturing) o.windowed = true;  // the picture is drawn off-screen at exactly the requested size
    } else if (spanGiven && !joining) {
        warn("--fps, --from and --to only apply to --frames, --capture and --benchmark; ignored");
    }
    if (o.shot) o.windowed = true;  // a shot is exactly the requested size
    return {};
}

}  // namespace

ParseResult parseOptions(int argc, const char* const* argv) {
    ParseResult result;
    CommandLine line;
    result.error = readOptions(argc, argv, result.options, line, result.warnings);
    if (result.error.empty()) result.error = takeOperands(line.operands, result.options, result.warnings);
    if (result.error.empty()) result.error = settleRunMode(line, result.options, result.warnings);
    return result;
}
