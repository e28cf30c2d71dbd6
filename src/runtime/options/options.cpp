#include "runtime/options/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

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

// A negative number is a size to refuse as too small, not an option.
bool isOption(std::string_view arg) {
    long ignored = 0;
    return arg.size() > 1 && arg[0] == '-' && !parseInt(std::string(arg).c_str(), ignored);
}

}  // namespace

std::string usageText(const char* program) {
    std::string p = program ? program : "afterglow";
    return "usage: " + p + " [width height] [options]\n"
           "\n"
           "Plays the presentation full screen at width x height (default 1024 768,\n"
           "at least 512 each way) with the music in demo.mp3 as its clock.\n"
           "Esc quits; releasing the left/right mouse button seeks 1 s forward/back.\n"
           "\n"
           "options:\n"
           "  --windowed         a normal window of the given size instead of full screen\n"
           "  --start MS         begin at MS milliseconds of music\n"
           "  --silent           no sound: the clock runs on wall time\n"
           "  --loop             at the end of the music start again from 0 (Esc still quits)\n"
           "  --dev              dev mode while playing: the keys below, and a line with the\n"
           "                     music time, the scene and the frame rate\n"
           "  --shot MS FILE     render the frame at MS offline (fixed 60 fps clock from the\n"
           "                     start of its scene, no sound) into FILE as PNG, then exit\n"
           "  --frames DIR       render offline and write every frame as DIR/frame000000.png,\n"
           "                     DIR/frame000001.png, ... (the folder is made), then exit\n"
           "  --capture FILE     render offline into a video with the music: raw frames go\n"
           "                     to ffmpeg (on PATH); .mp4 is H.264 yuv420p with AAC sound\n"
           "                     (Esc stops it and removes the unfinished file)\n"
           "  --benchmark        play offline as fast as the machine can, without waiting for\n"
           "                     vertical sync, and print the start-up time, the GL renderer,\n"
           "                     and per scene and in all: frames, mean fps, 1% low fps, worst\n"
           "                     frame, fragments drawn and how close that is to the fill rate\n"
           "  --json FILE        with --benchmark: also write the numbers to FILE as JSON\n"
           "  --headless         for --shot, --frames, --capture and --benchmark: draw\n"
           "                     off-screen through EGL, with no window and no X display\n"
           "                     (what they do by themselves when there is no display);\n"
           "                     the benchmark then takes sizes larger than the screen\n"
           "  --startup-report   once the first frame is shown, print how long each step of\n"
           "                     the start-up took in milliseconds (--benchmark always does)\n"
           "  --fps N            frames per second of music for --frames, --capture (default\n"
           "                     60) and --benchmark (default 10)\n"
           "  --from MS          first frame of an offline run at MS (default 0); it starts\n"
           "                     from the start of its scene, as a shot does\n"
           "  --to MS            an offline run ends before MS (default 243200)\n"
           "  --help             this text\n"
           "  --version          the version\n"
           "\n"           "keys:\n"
           "These act only with --dev; without it only Esc and the mouse do anything.\n"
           "Every seek with --dev (the mouse's too) shows the frame as --shot shows it,\n"
           "and says on stderr where it landed.\n"
           "  Space              pause and resume, music and picture together\n"
           "  Left, Right        seek 1 s back or forward; with Shift 10 s\n"
           "  PgUp, PgDn         the start of the previous or next scene\n"
           "  Home               back to 0\n"
           "  . ,                while paused: one frame (1/60 s) forward or back\n"
           "  R                  compile every shader pair in shaders/ again (a pair that\n"
           "                     fails keeps its previous version)\n"
           "  T                  decode every image in Textures/ again\n"
           "  H                  hide or show the line\n"
           "\n"
           "environment:\n"
           "  DISPLAY            the X display to open (required to play; the offline runs\n"
           "                     draw through EGL without it)\n"
           "  AFTERGLOW_NO_MESSAGE_BOX=1\n"
           "                     errors go to stderr only; never wait for a click\n"
           "  AFTERGLOW_DATA_DIR=DIR\n"
           "                     read the data from DIR and nowhere else (the files given\n"
           "                     with the options above still start from the working\n"
           "                     directory)\n"
           "  AFTERGLOW_HIDE_GL_EXTENSIONS=NAME,...\n"
           "                     for testing: the start-up checks take every GL extension,\n"
           "                     framebuffer entry point or version (GL_VERSION_2_0) whose\n"
           "                     name contains a NAME as missing\n"
           "  GLIBC_TUNABLES     unless it names glibc.malloc.hugetlb, the program asks\n"
           "                     for huge pages for its heap and large buffers itself;\n"
           "                     glibc.malloc.hugetlb=0 keeps ordinary pages\n"
           "\n"
           "files:\n"
           "  demo.mp3, Textures/, shaders/, models/\n"
           "                     the data, read from the working directory when it holds\n"
           "                     demo.mp3 or Textures/; otherwise from the folder of the\n"
           "                     program, then from the installed copy, share/afterglow\n"
           "                     beside the program's bin/ folder\n";
}

void anchorUserPaths(Options& options, const std::filesystem::path& base) {
    for (std::string* path : {&options.shotPath, &options.capturePath, &options.benchmarkJsonPath}) {
        if (!path->empty() && std::filesystem::path(*path).is_relative()) *path = (base / *path).string();
    }
}

ParseResult parseOptions(int argc, const char* const* argv) {
    ParseResult result;
    Options& o = result.options;
    std::vector<const char*> sizes;
    bool spanGiven = false;  // --fps, --from or --to
    bool fpsGiven = false;
    std::vector<std::string_view> valuesGiven;

    auto warn = [&](const std::string& message) { result.warnings.push_back(message); };
    // The last value counts, as in most programs, but a repeat is often a
    // mistake in a long command line.
    auto noteValue = [&](std::string_view option, const char* value) {
        if (std::find(valuesGiven.begin(), valuesGiven.end(), option) != valuesGiven.end())
            warn(std::string(option) + " is given more than once; the last (" + value + ") counts");
        else
            valuesGiven.push_back(option);
    };

    auto fail = [&](const std::string& message) {
        result.error = message;
        return result;
    };

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasNext = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--windowed") {
            o.windowed = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--loop") {
            o.loop = true;
        } else if (arg == "--dev") {
            o.dev = true;
        } else if (arg == "--silent") {
            o.silent = true;
        } else if (arg == "--start") {
            if (!hasNext) return fail("--start needs a time in milliseconds");
            if (!parseMs(argv[++i], o.startMs))
                return fail("--start: '" + std::string(argv[i]) + "' is not a time in " + msRange() + " ms");
            noteValue(arg, argv[i]);
        } else if (arg == "--shot") {
            if (i + 2 >= argc) return fail("--shot needs a time in milliseconds and a PNG file name");
            // Two shots cannot both be written: one run renders one frame.
            if (o.shot) return fail("--shot: only one shot at a time");
            if (!parseMs(argv[++i], o.shotMs))
                return fail("--shot: '" + std::string(argv[i]) + "' is not a time in " + msRange() + " ms");
            o.shotPath = argv[++i];
            if (o.shotPath.empty()) return fail("--shot needs a PNG file name after the time");
            o.shot = true;
        } else if (arg == "--frames" || arg == "--capture") {
            const std::string what = arg == "--frames" ? " needs a folder name" : " needs a video file name";
            if (!hasNext) return fail(std::string(arg) + what);
            if (o.capture != Options::Capture::Off) return fail(std::string(arg) + ": only one capture at a time");
            o.capture = arg == "--frames" ? Options::Capture::Frames : Options::Capture::Video;
            o.capturePath = argv[++i];
            if (o.capturePath.empty()) return fail(std::string(arg) + what);
        } else if (arg == "--startup-report") {
            o.startupReport = true;
        } else if (arg == "--benchmark") {
            o.benchmark = true;
        } else if (arg == "--json") {
            if (!hasNext) return fail("--json needs a file name");
            if (!o.benchmarkJsonPath.empty()) return fail("--json: only one report file at a time");
            o.benchmarkJsonPath = argv[++i];
            if (o.benchmarkJsonPath.empty()) return fail("--json needs a file name");
        } else if (arg == "--fps") {
            long fps = 0;
            if (!hasNext) return fail("--fps needs a number of frames per second");
            if (!parseInt(argv[++i], fps) || fps < 1 || fps > kMaxOfflineFps)
                return fail("--fps: '" + std::string(argv[i]) + "' is not a whole number in 1.." +
                            std::to_string(kMaxOfflineFps));
            o.offlineFps = static_cast<int>(fps);
            fpsGiven = spanGiven = true;
            noteValue(arg, argv[i]);
        } else if (arg == "--from" || arg == "--to") {
            if (!hasNext) return fail(std::string(arg) + " needs a time in milliseconds");
            double& ms = arg == "--from" ? o.fromMs : o.toMs;
            if (!parseMs(argv[++i], ms))
                return fail(std::string(arg) + ": '" + std::string(argv[i]) + "' is not a time in " + msRange() + " ms");
            spanGiven = true;
            noteValue(arg, argv[i]);
        } else if (isOption(arg)) {
            return fail("unknown option '" + std::string(arg) + "'");
        } else {
            sizes.push_back(argv[i]);
        }
    }

    if (sizes.size() == 1) {
        warn("a size needs both width and height; '" + std::string(sizes[0]) + "' alone is ignored");
    } else if (sizes.size() >= 2) {
        long w = 0, h = 0;
        if (!parseInt(sizes[0], w)) return fail("width '" + std::string(sizes[0]) + "' is not a number");
        if (!parseInt(sizes[1], h)) return fail("height '" + std::string(sizes[1]) + "' is not a number");
        if (w < kMinSize || h < kMinSize)
            return fail("size " + std::to_string(w) + "x" + std::to_string(h) + " is too small: at least " +
                        std::to_string(kMinSize) + " each way");
        if (w > kMaxSize || h > kMaxSize)
            return fail("size " + std::to_string(w) + "x" + std::to_string(h) + " is too large: at most " +
                        std::to_string(kMaxSize) + " each way");
        o.width = static_cast<int>(w);
        o.height = static_cast<int>(h);
        for (size_t k = 2; k < sizes.size(); ++k) warn("extra argument '" + std::string(sizes[k]) + "' is ignored");
    }
    const bool capturing = o.capture != Options::Capture::Off;
    if (o.benchmark && (o.shot || capturing)) return fail("--benchmark runs on its own, without --shot or a capture");
    if (o.shot && capturing) return fail("--shot and a capture cannot run together");
    if (o.loop && (o.shot || capturing || o.benchmark)) warn("--loop only applies to playback; ignored");
    if (o.headless && !(o.shot || capturing || o.benchmark))
        return fail("--headless is for --shot, --frames, --capture and --benchmark: playing needs a display");
    if (o.dev && (o.shot || capturing || o.benchmark)) warn("--dev only applies to playback; ignored");
    if (!o.benchmarkJsonPath.empty() && !o.benchmark) warn("--json only applies to --benchmark; ignored");
    if (o.startupReport && (o.shot || capturing))
        warn("--startup-report only applies to playback and --benchmark; ignored");
    if (capturing || o.benchmark) {
        if (!fpsGiven) o.offlineFps = o.benchmark ? kBenchmarkFps : kCaptureFps;
        if (o.fromMs >= o.toMs)
            return fail("--from " + std::to_string(static_cast<long>(o.fromMs)) + " must come before --to " +
                        std::to_string(static_cast<long>(o.toMs)));
        if (capturing) o.windowed = true;  // the picture is drawn off-screen at exactly the requested size
    } else if (spanGiven) {
        warn("--fps, --from and --to only apply to --frames, --capture and --benchmark; ignored");
    }
    if (o.shot) o.windowed = true;  // a shot is exactly the requested size
    return result;
}
