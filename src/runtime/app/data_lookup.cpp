#include "runtime/app/data_lookup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "install_paths.h"
#include "runtime/options/options.h"

namespace fs = std::filesystem;

namespace {

fs::path executablePath() {
    std::error_code ec;
    fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : path;
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

// The folder as a reader would write it: absolute, without "..".
std::string shown(const fs::path& folder) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(folder, ec);
    return (ec ? folder : canonical).string();
}

void sayNothingFound(const std::vector<fs::path>& candidates) {
    std::string tried;
    for (const fs::path& c : candidates) tried += ", " + shown(c);
    std::fprintf(stderr,
                 "afterglow: no data folder found (looked in the working directory%s); "
                 "AFTERGLOW_DATA_DIR can name one\n",
                 tried.c_str());
}

}  // namespace

bool holdsData(const fs::path& folder) {
    std::error_code ec;
    return fs::exists(folder / "demo.mp3", ec) || fs::is_directory(folder / "Textures", ec);
}

// The build says where an installed copy lies: AFTERGLOW_DATA_FROM_BIN
// relative to the installed executable's folder (so a copy installed under
// any prefix finds its own), AFTERGLOW_INSTALLED_DATA_DIR under the prefix it
// was configured for.
std::vector<fs::path> dataFolderCandidates(const fs::path& executable) {
    std::vector<fs::path> candidates;
    if (!executable.empty()) {
        const fs::path bin = executable.parent_path();
        candidates.push_back(bin);
        candidates.push_back((bin / AFTERGLOW_DATA_FROM_BIN).lexically_normal());
    }
    const fs::path configured = AFTERGLOW_INSTALLED_DATA_DIR;
    if (std::none_of(candidates.begin(), candidates.end(), [&](const fs::path& c) { return c == configured; }))
        candidates.push_back(configured);
    return candidates;
}

bool enterDataFolder(Options& options) {
    std::error_code ec;
    const fs::path start = fs::current_path(ec);
    const char* named = std::getenv("AFTERGLOW_DATA_DIR");
    const bool overridden = named && *named;
    fs::path folder;
    if (overridden) {
        folder = fs::absolute(named, ec);
        if (!fs::is_directory(folder, ec)) {
            std::fprintf(stderr, "afterglow: AFTERGLOW_DATA_DIR: \"%s\" is not a folder\n", named);
            return false;
        }
    } else {
        // A working directory with the data keeps the old meaning, unasked.
        if (holdsData(".")) return true;
        const std::vector<fs::path> candidates = dataFolderCandidates(executablePath());
        const auto found = std::find_if(candidates.begin(), candidates.end(), holdsData);
        if (found == candidates.end()) {
            // Stay: what is missing is then reported by its usual names.
            sayNothingFound(candidates);
            return true;
        }
        folder = *found;
    }
    if (!start.empty() && sameFolder(folder, start)) return true;
    anchorUserPaths(options, start);
    fs::current_path(folder, ec);
    if (ec) {
        std::fprintf(stderr, "afterglow: cannot enter the data folder %s: %s\n", shown(folder).c_str(),
                     ec.message().c_str());
        return !overridden;
    }
    std::fprintf(stderr, "afterglow: data from %s%s\n", shown(folder).c_str(),
                 overridden ? " (AFTERGLOW_DATA_DIR)" : "");
    return true;
}
