// The model and path files of the later scenes: the flower stems, the city,
// the ring ship and the piece.
//
//   for (const auto& [name, scene] : lateSceneModels()) ...   // under "models/"
//
// Geometry is built in the exporter's axes (z up), the same axes the mesh
// builders use, so it needs no conversion; the program reads file z as its
// y. Paths are written at 1 / scale where the scene scales them on loading.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ase/ase_writer.h"

// File names under "models/" and their contents, in a fixed order.
std::vector<std::pair<std::string, AseScene>> lateSceneModels();

bool writeLateSceneModels(const std::filesystem::path& dir, std::string& error);
