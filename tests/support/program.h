// The program under test, run the way a user runs it: AFTERGLOW_BINARY (the
// test target defines it, and AFTERGLOW_DATA_DIR) with a deadline, by
// default in the data folder the build made.
//
//   afterglow({"--shot", "1000", "a.png"});                       // 120 s, in the data folder
//   afterglow({"--windowed"}, within(30, dir.string(), {"X=1"}));  // elsewhere, a variable set
//   afterglow({"--windowed"}, within(120), watch, &state);         // watch(pid, &state) while it runs
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/process.h"

inline ProcessOptions within(double seconds, const std::string& workingDir = AFTERGLOW_DATA_DIR,
                             std::vector<std::string> setEnv = {}) {
    ProcessOptions options;
    options.timeoutSec = seconds;
    options.workingDir = workingDir;
    options.setEnv = std::move(setEnv);
    return options;
}

inline ProcessResult afterglow(std::vector<std::string> args, const ProcessOptions& options = within(120),
                               void (*onRunning)(int pid, void* data) = nullptr, void* data = nullptr) {
    args.insert(args.begin(), AFTERGLOW_BINARY);
    return runProcess(args, options, onRunning, data);
}
