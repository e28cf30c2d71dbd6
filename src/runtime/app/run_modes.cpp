#include "runtime/app/run_modes.h"

#include "runtime/app/playback.h"
#include "runtime/offline/benchmark.h"
#include "runtime/offline/capture.h"
#include "runtime/offline/join.h"
#include "runtime/offline/shot.h"

namespace {

void nothingFirst() {}

// The options that pick each come first: the parser has refused any two
// that cannot run together.
const RunMode kJoin = {"join", true, true, false, nothingFirst, runJoin};
const RunMode kBenchmark = {"benchmark", true, false, true, allowSwapWithoutVsync, runBenchmark};
const RunMode kCapture = {"capture", true, true, true, nothingFirst, runCapture};
const RunMode kFrames = {"frames", true, true, true, nothingFirst, runCapture};
const RunMode kShot = {"shot", true, true, true, nothingFirst, runShot};
const RunMode kDev = {"dev", false, false, true, nothingFirst, runPlayback};
const RunMode kPlayback = {"playback", false, false, true, nothingFirst, runPlayback};

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
