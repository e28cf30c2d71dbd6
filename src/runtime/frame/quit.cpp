#include "runtime/frame/quit.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/audio/music.h"
#include "runtime/platform/quit_signals.h"

namespace {

bool leaving = false;

}  // namespace

void quitProgram(int code) {
    leaving = true;
    if (const int signal = quitSignal()) code = signalExitCode(signal);
    stopMusic();
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(code);
}

bool quitting() { return leaving; }
