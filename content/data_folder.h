// The parts of the data folder that are painted, written or copied (the
// music has its own path): each part is a group the build can regenerate on
// its own when only its sources change.
//
//   writeDataGroup(DataGroup::Images, outDir, error);   // outDir/Textures/*.jpg
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

enum class DataGroup { Images, Shaders, Models };

// "images", "shaders" or "models".
std::optional<DataGroup> dataGroupByName(const std::string& name);

bool writeDataGroup(DataGroup group, const std::filesystem::path& outDir, std::string& error);

// Every file a group writes, relative to the data folder.
std::vector<std::string> dataGroupFiles(DataGroup group);
