// Where the data comes from. Every data file is read by its relative name
// ("demo.mp3", "Textures/...", "shaders\...", "models/..."), so the program
// changes into the data folder once, before anything reads it:
//
//   if (!enterDataFolder(options)) return 1;   // right after the command line
//
// The folder is the first that holds the data (a "demo.mp3" or a
// "Textures/"): the working directory, the folder of the executable, the
// installed copy beside the executable's bin/ folder, then the one under the
// prefix the build was configured for. AFTERGLOW_DATA_DIR names it outright.
#pragma once

#include <filesystem>
#include <vector>

struct Options;

// True when folder holds a "demo.mp3" or a "Textures/" folder.
bool holdsData(const std::filesystem::path& folder);

// The folders tried after the working directory, in order, for the program
// at executable.
std::vector<std::filesystem::path> dataFolderCandidates(const std::filesystem::path& executable);

// Chooses the folder and changes into it, first anchoring the user's output
// paths to the directory the program was started in. Says on stderr which
// folder it uses when that is not the working directory. False, after saying
// why, when AFTERGLOW_DATA_DIR names something that is not a usable folder.
bool enterDataFolder(Options& options);
