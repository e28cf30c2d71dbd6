#include "runtime/app/run_modes.h"

#include "runtime/app/playback.h"
#include "runtime/offline/benchmark.h"
#include "runtime/offline/capture.h"
#include "runtime/offline/join.h"
#include "runtime/offline/shot.h"

namespace {

// The options that pick each come first: the parser has refused any two
// that cannot run together.
const RunMode kJoin = {.name = "join", .offline = true, .unattended = true, .drawsPictures = false, .run = runJoin};
const RunMode kBenchmark = {
    .name = "benchmark", .offline = true, .beforeContext = allowSwapWithoutVsync, .run = runBenchmark};
const RunMode kCapture = {.name = "capture", .offline = true, .unattended = true, .run = runCapture};
const RunMode kFrames = {.name = "frames", .offline = true, .unattended = true, .run = runCapture};
const RunMode kShot = {.name = "shot", .offline = true, .unattended = true, .run = runShot};
const RunMode kDev = {.name = "dev", .run = runPlayback};
const RunMode kPlayback = {.name = "playback", .run = runPlayback};

}  // namespace

const RunMode& chooseRunMode(const Options& options) {
    if (!options.joinPath.empty()) return kJoin;
    if (options.benchmark) return kBenchmark;
    if (options.capture == Options::Capture::Video) return kCapture;
    if (options.capture == Options::Capture::Frames) return kFrames;
    if (options.shot) return kShot;
    if (options.dev) return kDev;
    return kPlayback;
}
