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
// once, for a start-up stuck somewhere no one looks.
#pragma once

// Installs the handler for each of the signals whose action is still the
// default (one the caller chose to ignore stays ignored), and keeps the
// sound library from installing its own, which would swallow them.
void installQuitSignals();

// The signal that asked for the end, or 0.
int quitSignal();

// Exit code for a run ended by signal: 128 + its number.
int signalExitCode(int signal);

// Its usual name ("SIGINT"), for messages.
const char* signalName(int signal);
