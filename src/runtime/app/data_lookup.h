// Where the data comes from. Every data file is read by its relative name
// ("demo.mp3", "Textures/...", "shaders\...", "models/..."), so the program
// changes into the data folder once, before anything reads it:
//
//   if (!enterDataFolder(options)) return 1;   // right after the command line
//
// The places, in order: the working directory, the folder of the executable,
// the installed copy beside the executable's games/ (or bin/) folder, then
// the one under the prefix the build was configured for, each in the games
// layout (share/games/afterglow) and then the older one (share/afterglow).
// The first that holds the whole data set (the music and every file of the
// folders, kDataSetFiles) is used; a folder passed over for holding only a
// part of it is named on stderr, so a stray "Textures/" where the program is
// started cannot hide a complete copy. When no place holds all of it, the
// first that holds some is used, and its readers name what is missing.
// AFTERGLOW_DATA_DIR names the folder outright.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct Options;

// True when folder holds a "demo.mp3" or one of the data folders: part of
// the data, at least.
bool holdsData(const std::filesystem::path& folder);

// The files of the data set that folder lacks ("demo.mp3",
// "Textures/cloud.jpg"), in the data set's order; empty when it is whole.
// A file that cannot even be looked at (a folder without permission on
// the way) is missing too, and the first such names the reason in
// unreadable ("Textures/cloud.jpg: Permission denied").
struct DataSetCheck {
    std::vector<std::string> missing;
    std::string unreadable;
};
DataSetCheck checkDataSet(const std::filesystem::path& folder);

// The folders tried after the working directory, in order, for the program
// at executable.
std::vector<std::filesystem::path> dataFolderCandidates(const std::filesystem::path& executable);

// Chooses the folder and changes into it, first anchoring the user's output
// paths to the directory the program was started in. Says on stderr which
// folder it uses when that is not the working directory. False, after saying
// why, when AFTERGLOW_DATA_DIR names something that is not a usable folder.
bool enterDataFolder(Options& options);
