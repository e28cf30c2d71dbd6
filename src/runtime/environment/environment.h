// The environment variables: one table of every variable the project reads
// (the program, its scripts, its tests), what each changes and who reads
// it, and the one place where the program reads them.
//
//   if (environmentSwitch(EnvVar::GlChecks)) ...              // set, and not "0"
//   if (const char* dir = environmentValue(EnvVar::DataDir)) ... // set, and not empty
//   for (const EnvironmentEntry& e : environmentTable()) say(e.name, e.words);
//
// --help and the manual page list the program's rows (programVariables());
// docs/manual.md lists every row, and a test holds it to the table. A test
// hook is a variable only the tests set, to reach a path the program cannot
// otherwise be driven down: it says so in its words.
#pragma once

#include <span>
#include <string_view>

enum class EnvReader {
    Program,   // the program, as a user may set it
    TestHook,  // the program, for the tests only
    Scripts,   // ./run, ./test and scripts/
    Tests,     // the tests themselves
};

struct EnvironmentEntry {
    std::string_view name;    // "AFTERGLOW_DATA_DIR"
    std::string_view value;   // what it holds, as --help shows it: "DIR", "1"; "" for anything
    std::string_view words;   // what it changes
    std::string_view readBy;  // the files that read it: "runtime/app/data_lookup.cpp"
    EnvReader reader;
};

// The variables the program reads; each is a row of the table, in this
// order, before the scripts' and the tests'.
enum class EnvVar {
    Display,
    DataDir,
    NoMessageBox,
    GlChecks,
    GlibcTunables,
    VblankMode,
    Path,
    HideGlExtensions,
    WarmUp,
};

std::span<const EnvironmentEntry> environmentTable();
// The rows the program reads (Program and TestHook), for --help and the
// manual page.
std::span<const EnvironmentEntry> programVariables();
std::string_view environmentName(EnvVar var);

// The variable's value; nullptr when it is unset or empty. Read afresh on
// every call: the tests set variables in their own process.
const char* environmentValue(EnvVar var);
// A switch: on when set to anything but "" or "0".
bool environmentSwitch(EnvVar var);
// Sets the variable for this process and what it starts, unless it is
// set already (a driver's variable the program has a default for).
void setEnvironmentDefault(EnvVar var, const char* value);
