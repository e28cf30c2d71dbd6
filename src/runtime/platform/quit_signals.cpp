#include "runtime/platform/quit_signals.h"

#include <SDL.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

volatile sig_atomic_t pendingSignal = 0;

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the handler: plain atomics, no locks. A handful is plenty (ffmpeg,
// ffprobe); a child beyond them is only not stopped early.
std::atomic<int> watchedChildren[4] = {};
std::atomic<void (*)()> abruptExitCleanup{nullptr};

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
    exitAtOnce(signalExitCode(pendingSignal));
}

}  // namespace

void installQuitSignals() {
#ifdef SDL_HINT_NO_SIGNAL_HANDLERS  // the sound device's SDL; not in the web build
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
#endif
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

void blockQuitSignalsInThisThread() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : kQuitSignals) sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int signalExitCode(int signal) { return 128 + signal; }

const char* signalName(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

void watchChildProcess(int pid) {
    for (std::atomic<int>& slot : watchedChildren) {
        int free = 0;
        if (slot.compare_exchange_strong(free, pid)) return;
    }
}

void forgetChildProcess(int pid) {
    for (std::atomic<int>& slot : watchedChildren) {
        int watched = pid;
        slot.compare_exchange_strong(watched, 0);
    }
}

void killWatchedChildren() {
    for (std::atomic<int>& slot : watchedChildren) {
        const int pid = slot.exchange(0);
        if (pid <= 0) continue;
        kill(-pid, SIGKILL);  // its own group, should it have started others
        kill(pid, SIGKILL);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

void exitAtOnce(int code) {
    killWatchedChildren();
    if (void (*cleanup)() = abruptExitCleanup.load()) cleanup();
    _exit(code);
}

void setAbruptExitCleanup(void (*cleanup)()) { abruptExitCleanup = cleanup; }
