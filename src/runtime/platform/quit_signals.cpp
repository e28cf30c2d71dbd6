#include "runtime/platform/quit_signals.h"

#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace {

volatile sig_atomic_t pendingSignal = 0;

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};

void noteSignal(int signal) {
    if (pendingSignal == 0) {
        pendingSignal = signal;
        return;
    }
    // Asked twice: whatever keeps the program from looking, stop now. Only
    // async-signal-safe calls from here on.
    static const char message[] = "\nafterglow: asked twice to stop; stopping at once\n";
    const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(signalExitCode(pendingSignal));
}

}  // namespace

void installQuitSignals() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    for (const int signal : kQuitSignals) {
        struct sigaction current;
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = noteSignal;
        sigemptyset(&action.sa_mask);
        // Interrupted reads and waits carry on; the flag is looked at soon enough.
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

int quitSignal() { return pendingSignal; }

int signalExitCode(int signal) { return 128 + signal; }

const char* signalName(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}
