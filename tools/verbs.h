// afterglow-inspect: looks inside the data files the way the program reads
// them. Each verb is a function in its own file; main() dispatches.
//
//   afterglow-inspect jpeg IN.jpg OUT.ppm
//   afterglow-inspect ase FILE
//   afterglow-inspect shape FILE INDEX [T ...]
//   afterglow-inspect scenes
//
// A verb gets the arguments after its name and returns the exit code:
// 0 on success, 1 when the file is refused (with a one-line reason on
// stderr), 2 for a bad command line.
//
// The verbs are one table, inspectVerbs(), which the usage text and the
// manual page (tools/man_page.cpp) are both written from.
#pragma once

#include <span>
#include <string>
#include <vector>

using VerbArgs = std::vector<std::string>;

struct InspectVerb {
    const char* name;       // "shape"
    const char* arguments;  // "FILE INDEX [T ...]"
    const char* words;      // what it does, one sentence
    int (*run)(const VerbArgs& args);
};

std::span<const InspectVerb> inspectVerbs();

// True when path can be opened for reading; otherwise says so on stderr.
// The readers would only report a missing file through their own progress
// lines, which a script cannot tell from success.
bool readableOrSay(const char* path);

int inspectJpeg(const VerbArgs& args);
int inspectAse(const VerbArgs& args);
int inspectShape(const VerbArgs& args);
int inspectScenes(const VerbArgs& args);
