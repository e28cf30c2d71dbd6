// The model and path files of the first scenes: the opening flight's path
// and camera paths, the symbols with their six camera shapes, and the abc
// model of the cloud tunnel.
//
//   for (const auto& [name, scene] : earlySceneModels()) ...   // under "models/"
//
// Positions are chosen in the program's axes (y up) and written in the
// exporter's axes (z up); each file's scale is undone here, so a path the
// program scales by 0.1 is written ten times as large.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ase/ase_writer.h"

// File names under "models/" and their contents, in a fixed order.
std::vector<std::pair<std::string, AseScene>> earlySceneModels();

bool writeEarlySceneModels(const std::filesystem::path& dir, std::string& error);
