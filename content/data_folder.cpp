#include "data_folder.h"

#include "ase/early_scene_models.h"
#include "ase/shared_models.h"
#include "image/manifest_images.h"
#include "shaders/shader_files.h"

std::optional<DataGroup> dataGroupByName(const std::string& name) {
    if (name == "images") return DataGroup::Images;
    if (name == "shaders") return DataGroup::Shaders;
    if (name == "models") return DataGroup::Models;
    return std::nullopt;
}

bool writeDataGroup(DataGroup group, const std::filesystem::path& outDir, std::string& error) {
    switch (group) {
    case DataGroup::Images: return writeManifestImages(outDir / "Textures", error);
    case DataGroup::Shaders: return copyShaderFiles(outDir / "shaders", error);
    case DataGroup::Models:
        return writeSharedModels(outDir / "models", error) && writeEarlySceneModels(outDir / "models", error);
    }
    return false;
}

std::vector<std::string> dataGroupFiles(DataGroup group) {
    std::vector<std::string> files;
    switch (group) {
    case DataGroup::Images:
        for (const std::string& n : manifestImageNames()) files.push_back("Textures/" + n);
        break;
    case DataGroup::Shaders:
        for (const std::string& n : shaderFileNames()) files.push_back("shaders/" + n);
        break;
    case DataGroup::Models:
        for (const auto& entry : sharedModels()) files.push_back("models/" + entry.first);
        for (const auto& entry : earlySceneModels()) files.push_back("models/" + entry.first);
        break;
    }
    return files;
}
