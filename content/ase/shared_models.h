// The model files several scenes share: the sky sphere and the backdrop.
//
//   writeSharedModels(outDir / "models", error);
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ase/ase_writer.h"

// The sky sphere: radius 500 about the origin, seen from inside, wrapped in
// "nebula.jpg" by longitude and latitude.
AseScene skySphereScene();

// The backdrop: a closed, slightly pinched hull about the origin, 270 to 330
// units out (five times that where a scene scales it), seen from inside and
// wrapped in "nebula2.jpg".
AseScene backdropScene();

// File names under "models/" and their contents, in a fixed order.
std::vector<std::pair<std::string, AseScene>> sharedModels();

bool writeSharedModels(const std::filesystem::path& dir, std::string& error);
