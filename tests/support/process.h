// Runs a program to completion (or to a time limit) and keeps what it said.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;      // exit status, or -1 when killed or not started
    int signal = 0;         // the signal that ended it, if one did
    bool timedOut = false;
    std::string out;        // standard output
    std::string err;        // standard error
};

struct ProcessOptions {
    std::string workingDir;               // empty: the current one
    std::vector<std::string> unsetEnv;    // variables removed for the child
    std::vector<std::string> setEnv;      // "NAME=value" added for the child
    double timeoutSec = 120.0;
    // A process group of its own, as a terminal's foreground job has: a
    // signal to the group (kill(-pid, ...)) is what Ctrl+C sends.
    bool ownProcessGroup = false;
};

// Starts argv[0] with the rest as arguments. While it runs, onRunning (when
// given) is called with the child's PID; the result comes once it has ended.
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {},
                         void (*onRunning)(int pid, void* data) = nullptr, void* data = nullptr);

// For onRunning: whether the child has ended, without reaping it, so that
// runProcess still gets its exit code.
bool childHasEnded(int pid);

// How many times what occurs in text (overlapping ones too): how the tests
// check that a line was said once, or not at all.
size_t countOf(const std::string& text, const std::string& what);
