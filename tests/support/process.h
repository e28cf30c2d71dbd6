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
    // Standard descriptors (0, 1, 2) the child starts with closed, as a
    // launcher or a daemon may leave them.
    std::vector<int> closedFds;
    // Standard output where writing fails instead of captured in out:
    // "/dev/full" (no space left), or kReaderGone.
    std::string stdoutTo;
    // The child's address space limit (RLIMIT_AS) in bytes; 0 for none.
    long long addressSpaceBytes = 0;
    // The child cannot read past file permissions even as root (it runs
    // without the capabilities that let root do so), as a user cannot.
    bool permissionsApply = false;
};

// ProcessOptions::stdoutTo: a pipe whose reading end is closed.
constexpr const char* kReaderGone = "a pipe without a reader";
// The exit code of a child that could not be made to respect permissions.
constexpr int kPermissionsNotApplied = 125;

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
