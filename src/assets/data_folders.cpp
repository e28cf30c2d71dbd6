#include "assets/data_folders.h"

#include <unistd.h>

#include <cerrno>
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
        std::string text;
        if (!fs::is_directory(folder.name, ec) || fs::is_empty(folder.name, ec)) {
            text = std::string("no ") + folder.name + "/ folder in " + here;
        } else if (access(folder.name, X_OK) != 0) {
            // Not one of its files can be opened: said once, here.
            text = std::string(folder.name) + "/ in " + here + " cannot be read (" + std::strerror(errno) + ")";
        }
        folder.missing = !text.empty();
        if (!folder.missing) continue;
        text += std::string(": ") + folder.withoutIt;
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
