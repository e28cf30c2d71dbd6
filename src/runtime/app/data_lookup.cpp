#include "runtime/app/data_lookup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "data_set.h"
#include "install_paths.h"
#include "runtime/environment/environment.h"
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

// "(no Textures/gradient.jpg)", "(no demo.mp3, Textures/cloud.jpg and 43
// more)": enough to recognise the folder by, not a list to scroll through.
// A folder whose files are there but cannot be looked at is named with the
// reason instead.
void sayPassedOver(const fs::path& folder, bool workingDirectory, const DataSetCheck& check) {
    const std::string place = (workingDirectory ? "the working directory " : "") + shown(folder);
    if (!check.unreadable.empty()) {
        std::fprintf(stderr, "afterglow: %s holds the data, but it cannot be read (%s); passed over\n", place.c_str(),
                     check.unreadable.c_str());
        return;
    }
    const std::vector<std::string>& missing = check.missing;
    constexpr size_t kNamed = 2;
    std::string named = missing[0];
    for (size_t k = 1; k < std::min(missing.size(), kNamed); ++k) named += ", " + missing[k];
    if (missing.size() > kNamed)
        std::fprintf(stderr, "afterglow: %s holds only part of the data (no %s and %zu more); passed over\n",
                     place.c_str(), named.c_str(), missing.size() - kNamed);
    else
        std::fprintf(stderr, "afterglow: %s holds only part of the data (no %s); passed over\n", place.c_str(),
                     named.c_str());
}

// The first of places that holds the whole data set, naming each partial
// one passed over on the way; when none does, the first that holds some of
// it (its readers then name each file it lacks). Empty when none holds any.
// The first place, the working directory, is looked at by relative names,
// as its files are read: its own name may be longer than a path can be.
fs::path chooseDataFolder(const std::vector<fs::path>& places) {
    std::vector<std::pair<size_t, DataSetCheck>> partial;
    for (size_t k = 0; k < places.size(); ++k) {
        const fs::path look = k == 0 ? fs::path(".") : places[k];
        if (!holdsData(look)) continue;
        DataSetCheck check = checkDataSet(look);
        if (check.missing.empty()) {
            for (const auto& [index, lacks] : partial) sayPassedOver(places[index], index == 0, lacks);
            return places[k];
        }
        partial.emplace_back(k, std::move(check));
    }
    return partial.empty() ? fs::path() : places[partial.front().first];
}

}  // namespace

bool holdsData(const fs::path& folder) {
    std::error_code ec;
    if (fs::exists(folder / "demo.mp3", ec)) return true;
    for (const char* name : {"Textures", "shaders", "models"})
        if (fs::is_directory(folder / name, ec)) return true;
    return false;
}

DataSetCheck checkDataSet(const fs::path& folder) {
    DataSetCheck check;
    for (const char* file : kDataSetFiles) {
        std::error_code ec;
        if (fs::exists(folder / file, ec)) continue;
        check.missing.push_back(file);
        if (ec && check.unreadable.empty()) check.unreadable = std::string(file) + ": " + ec.message();
    }
    return check;
}

// The build says where an installed copy lies: AFTERGLOW_DATA_FROM_BIN
// relative to the installed executable's folder (so a copy installed under
// any prefix finds its own), AFTERGLOW_INSTALLED_DATA_DIR under the prefix it
// was configured for; the older layout's places follow each.
std::vector<fs::path> dataFolderCandidates(const fs::path& executable) {
    std::vector<fs::path> candidates;
    auto add = [&](const fs::path& folder) {
        if (std::find(candidates.begin(), candidates.end(), folder) == candidates.end()) candidates.push_back(folder);
    };
    if (!executable.empty()) {
        const fs::path bin = executable.parent_path();
        add(bin);
        add((bin / AFTERGLOW_DATA_FROM_BIN).lexically_normal());
        add((bin / AFTERGLOW_OLD_DATA_FROM_BIN).lexically_normal());
    }
    add(AFTERGLOW_INSTALLED_DATA_DIR);
    add(AFTERGLOW_OLD_INSTALLED_DATA_DIR);
    return candidates;
}

bool enterDataFolder(Options& options) {
    std::error_code ec;
    const fs::path start = fs::current_path(ec);
    const char* named = environmentValue(EnvVar::DataDir);
    const bool overridden = named != nullptr;
    fs::path folder;
    if (overridden) {
        folder = fs::absolute(named, ec);
        if (!fs::is_directory(folder, ec)) {
            if (ec.value() == ENAMETOOLONG)
                std::fprintf(stderr, "afterglow: AFTERGLOW_DATA_DIR: \"%s\" is too long a path (%zu characters)\n",
                             named, folder.native().size());
            else if (ec && ec.value() != ENOENT && ec.value() != ENOTDIR)
                std::fprintf(stderr, "afterglow: AFTERGLOW_DATA_DIR: \"%s\" cannot be used: %s\n", named,
                             ec.message().c_str());
            else
                std::fprintf(stderr, "afterglow: AFTERGLOW_DATA_DIR: \"%s\" is not a folder\n", named);
            return false;
        }
    } else {
        const std::vector<fs::path> candidates = dataFolderCandidates(executablePath());
        std::vector<fs::path> places = {start.empty() ? fs::path(".") : start};
        for (const fs::path& c : candidates)
            if (!sameFolder(c, places.front())) places.push_back(c);
        folder = chooseDataFolder(places);
        if (folder.empty()) {
            // Stay: what is missing is then reported by its usual names.
            sayNothingFound(candidates);
            return true;
        }
        if (folder == places.front()) return true;
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
