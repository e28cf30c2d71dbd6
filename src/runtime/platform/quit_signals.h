// Ctrl+C in the terminal (SIGINT), kill (SIGTERM) and a closed terminal
// (SIGHUP) end the program the way Esc does, with the shell's exit code for
// the signal (128 + its number: 130, 143, 129).
//
//   installQuitSignals();                        // first thing in main
//   if (quitSignal()) quitProgram(0);            // wherever it is safe to stop
//
// The handler only notes the signal. The frame loop, the idle callback, the
// offline runs and the end of start-up look at it and leave through
// quitProgram, so the audio device is closed and the toolkit gives the
// screen back as on Esc. A second signal before that ends the process at
// once, for a start-up stuck somewhere no one looks: it still stops the
// child processes it was told about (ffmpeg) and runs the clean-up that was
// set (the temporary files go), so nothing is left half written.
#pragma once

// Installs the handler for each of the signals whose action is still the
// default (one the caller chose to ignore stays ignored), and keeps the
// sound library from installing its own, which would swallow them.
void installQuitSignals();

// The signal that asked for the end, or 0.
int quitSignal();

// For a worker thread, first thing: the quit signals are never handled on
// it, so the handler always interrupts the main thread (whose loop looks at
// them) and never a worker halfway through a file.
void blockQuitSignalsInThisThread();

// Exit code for a run ended by signal: 128 + its number.
int signalExitCode(int signal);

// Its usual name ("SIGINT"), for messages.
const char* signalName(int signal);

// A child process to stop with the program when a second signal ends it at
// once: its process group is killed and the child reaped before the
// clean-up below runs, so it cannot write a file the clean-up has just
// removed. Forget it once it has ended.
void watchChildProcess(int pid);
void forgetChildProcess(int pid);
// Kills and reaps the watched children now (async-signal-safe): also for
// an exit() in the middle of a run, before its temporary files go.
void killWatchedChildren();

// Ends the process now with code, as a second signal does: the watched
// children are killed and the clean-up below runs first.
// Async-signal-safe.
[[noreturn]] void exitAtOnce(int code);

// What must still happen when a second signal ends the program at once;
// async-signal-safe only. One hook: the temporary output files
// (runtime/platform/output_file.h).
void setAbruptExitCleanup(void (*cleanup)());
