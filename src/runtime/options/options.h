// Command line: `afterglow [width height] [options]`.
//
// The plain form keeps its old meaning (two numbers set the display size,
// otherwise 1024x768; a negative number is a size, refused as too small).
// Everything else is an option from one table, optionTable(): its names,
// the names of its values and its words. The parser (glibc's getopt_long,
// so --start=1000, `--` before the sizes, -h, -V and unambiguous
// abbreviations such as --bench work), --help (usageText), the manual page
// (tools/man_page.cpp) and the manual's check (docs/manual.md) all read that table, so an option
// is added with its entry there and its field in Options.
//
//   ParseResult r = parseOptions(argc, argv);
//   if (!r.error.empty()) { print r.error; exit 2; }
//   for (const OptionEntry& o : optionTable()) say("--" + std::string(o.name));
//
// An option that names an output may be given once; a repeated value
// option keeps its last value, with a warning.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/timeline/timeline.h"

constexpr int kMinSize = 512;     // the full-screen passes need 512x512 of scratch area
constexpr int kMaxSize = 16384;
constexpr int kMaxOfflineFps = 1000;
constexpr int kCaptureFps = 60;
constexpr int kBenchmarkFps = 10;  // a whole run takes minutes on a software rasteriser
// x264's quality scale: 0 is lossless, 51 the worst. 16 showed no
// difference from lossless on any scene at 1920x1080 (docs/capture.md).
constexpr int kDefaultCrf = 16;
constexpr int kMaxCrf = 51;
constexpr int kMaxParts = 100000;

struct Options {
    int width = 1024;
    int height = 768;
    bool windowed = false;
    bool silent = false;      // no audio device; the clock runs on wall time
    double startMs = 0.0;     // begin playback here
    bool shot = false;        // render one frame offline and write it
    double shotMs = 0.0;
    std::string shotPath;
    // Offline capture of the span [fromMs, toMs) at offlineFps: numbered PNG
    // files in a folder, or a video through ffmpeg.
    enum class Capture { Off, Frames, Video };  // not None: Xlib defines that as a macro
    Capture capture = Capture::Off;
    std::string capturePath;  // the folder (Frames) or the video file (Video)
    // Frames per second of music for the offline runs: 60 for a capture and
    // 10 for a benchmark unless --fps says otherwise.
    int offlineFps = kCaptureFps;
    double fromMs = 0.0;
    double toMs = kPresentationEndMs;
    int crf = kDefaultCrf;  // the video's quality: x264's constant rate factor
    // --part K/N: only the K-th (from 1) of N consecutive slices of the
    // span's frames, for a capture split over many machines. 0/0: all of it.
    int partIndex = 0;
    int partCount = 0;
    // --join OUT PART...: the parts of a split capture joined into joinPath.
    std::string joinPath;
    std::vector<std::string> joinParts;
    // Offline run of the span at offlineFps timing every frame; the report
    // goes to stdout and, with a path, as JSON to benchmarkJsonPath.
    bool benchmark = false;
    std::string benchmarkJsonPath;
    // Offline runs only: draw through EGL without a window even where there
    // is a display.
    bool headless = false;
    bool loop = false;        // start again from 0 at the end of the music
    bool dev = false;         // playback with the keys of runtime/dev_mode.h
    bool startupReport = false;  // print the start-up step by step once the first frame is shown
    bool quiet = false;          // no loading lines on stdout
    std::string clockLogPath;    // a line per drawn frame: when it read the clock, what, when it was shown
    bool help = false;
    bool version = false;
};

struct ParseResult {
    Options options;
    std::string error;                  // set when the command line is unusable (exit 2)
    std::vector<std::string> warnings;  // things ignored, each worth a line on stderr
};

ParseResult parseOptions(int argc, const char* const* argv);
std::string usageText(const char* program);

// --version in the GNU form: the name and version, then the copyright and
// the licence (the lines below, which the manual pages and the package's
// copyright file say too).
constexpr std::string_view kCopyrightLine = "Copyright 2026 The Afterglow developers";
constexpr std::string_view kLicenceLine = "License MIT (Expat): <https://opensource.org/license/mit>";
std::string versionText(std::string_view version);

struct OptionEntry;

// Sets what an option means in o from its values (as many as its arguments
// name). Returns the error for the command line, or "" when they are usable.
using OptionApply = std::string (*)(const OptionEntry& option, const char* const* values, Options& o);

struct OptionEntry {
    std::string_view name;       // the long name, without "--"
    char shortName;              // '\0': none
    // The values' names as --help shows them: "", "MS", "MS FILE"; a last
    // one ending in "..." ("PART...") stands for the operands, which the
    // option then takes instead of the sizes.
    std::string_view arguments;
    std::string_view needs;      // what a missing value is, in "--NAME needs ..."
    std::string_view help;       // one paragraph, wrapped where it is shown
    OptionApply apply;
};

std::span<const OptionEntry> optionTable();

// The other lists of --help and the manual page, after the options: the
// keys, the environment and the files. Their texts may hold '\n' where
// --help starts a new line whatever the width.
struct HelpItem {
    std::string_view tag;  // "Space", "AFTERGLOW_DATA_DIR=DIR"
    std::string_view words;
};

struct HelpSection {
    std::string_view heading;  // "keys"
    std::string_view intro;    // a paragraph before the items, or ""
    std::span<const HelpItem> items;
};

// What comes before the options: the arguments after the program's name
// and a paragraph about what it does.
constexpr std::string_view kSynopsisArguments = "[width height] [options]";
std::string_view programDescription();
std::span<const HelpSection> helpSections();

// The files and folders the user names on the command line (--shot, --frames,
// --capture, --json, --join) mean what they meant where the program was started, even
// after it has changed into its data folder: relative ones are taken from base.
void anchorUserPaths(Options& options, const std::filesystem::path& base);
