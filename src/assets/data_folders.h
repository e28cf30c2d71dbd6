// The folders of the data ("Textures/", "shaders/", "models/") and what to
// say when one is missing as a whole: once for the folder, rather than once
// for every file the scenes would read from it.
//
//   reportMissingDataFolders(showWarning);    // at the start of loading
//   if (!inMissingDataFolder(path)) ...say that this one file is missing...
#pragma once

// Looks in the working directory and passes say one message for each folder
// that is absent, empty or cannot be read (its permissions); remembers which
// they were. The caller shows them
// (a message box: not something the readers link).
void reportMissingDataFolders(void (*say)(const char* text));

// True when path ("models/city.ASE", "shaders\phong.ps") lies in a folder that
// reportMissingDataFolders has already reported.
bool inMissingDataFolder(const char* path);
