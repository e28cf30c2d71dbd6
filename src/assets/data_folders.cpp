#include "assets/data_folders.h"

#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct DataFolder {
    const char* name;
    const char* withoutIt;  // what the viewer will see
    bool missing = false;
};

DataFolder dataFolders[] = {
    {"Textures", "the scenes play without their images"},
    {"shaders", "the scenes are drawn without their shaders"},
    {"models", "the scenes play without their models and camera paths"},
};

}  // namespace

void reportMissingDataFolders(void (*say)(const char* text)) {
    std::error_code ec;
    const std::string here = fs::current_path(ec).string();
    for (DataFolder& folder : dataFolders) {
        folder.missing = !fs::is_directory(folder.name, ec) || fs::is_empty(folder.name, ec);
        if (!folder.missing) continue;
        const std::string text = std::string("no ") + folder.name + "/ folder in " + here + ": " + folder.withoutIt;
        say(text.c_str());
    }
}

bool inMissingDataFolder(const char* path) {
    if (!path) return false;
    for (const DataFolder& folder : dataFolders) {
        const size_t n = std::strlen(folder.name);
        if (folder.missing && std::strncmp(path, folder.name, n) == 0 && (path[n] == '/' || path[n] == '\\'))
            return true;
    }
    return false;
}
