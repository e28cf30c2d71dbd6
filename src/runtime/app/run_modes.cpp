#include "runtime/app/run_modes.h"

#include "runtime/app/playback.h"
#include "runtime/offline/benchmark.h"
#include "runtime/offline/capture.h"
#include "runtime/offline/shot.h"

namespace {

void nothingFirst() {}

// The options that pick each come first: the parser has refused any two
// that cannot run together.
const RunMode kBenchmark = {"benchmark", true, false, allowSwapWithoutVsync, runBenchmark};
const RunMode kCapture = {"capture", true, true, nothingFirst, runCapture};
const RunMode kFrames = {"frames", true, true, nothingFirst, runCapture};
const RunMode kShot = {"shot", true, true, nothingFirst, runShot};
const RunMode kDev = {"dev", false, false, nothingFirst, runPlayback};
const RunMode kPlayback = {"playback", false, false, nothingFirst, runPlayback};

}  // namespace

const RunMode& chooseRunMode(const Options& options) {
    if (options.benchmark) return kBenchmark;
    if (options.capture == Options::Capture::Video) return kCapture;
    if (options.capture == Options::Capture::Frames) return kFrames;
    if (options.shot) return kShot;
    if (options.dev) return kDev;
    return kPlayback;
}
