// What docs/install.md says an install puts where: the block of paths under
// "`cmake --install build --prefix P` installs", held against the files
// really installed.
//
//   const InstallList claimed = documentedInstallList();  // "games/afterglow", "share/icons/hicolor/*/apps/..."
//   EXPECT_EQ(claimed.unclaimed(installedFiles), ...);    // installed, not in docs/install.md
//   EXPECT_EQ(claimed.missing(installedFiles), ...);      // in docs/install.md, not installed
#pragma once

#include <fnmatch.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct InstallList {
    // Relative to the prefix; "*" stands for a name, and one ending in "/"
    // for everything in that folder.
    std::vector<std::string> patterns;

    bool claims(const std::string& pattern, const std::string& file) const {
        if (pattern.ends_with('/')) return file.starts_with(pattern);
        return fnmatch(pattern.c_str(), file.c_str(), FNM_PATHNAME) == 0;
    }
    std::vector<std::string> unclaimed(const std::vector<std::string>& files) const {
        return unmatched(files, patterns, [&](const std::string& f, const std::string& p) { return claims(p, f); });
    }
    std::vector<std::string> missing(const std::vector<std::string>& files) const {
        return unmatched(patterns, files, [&](const std::string& p, const std::string& f) { return claims(p, f); });
    }

private:
    // The items that match none of others.
    template <class Matches>
    static std::vector<std::string> unmatched(const std::vector<std::string>& items,
                                              const std::vector<std::string>& others, Matches matches) {
        std::vector<std::string> left;
        for (const std::string& item : items)
            if (std::none_of(others.begin(), others.end(), [&](const std::string& o) { return matches(item, o); }))
                left.push_back(item);
        return left;
    }
};

// The paths of the page's block (the lines starting "P/"), without the
// "P/"; none when the block is not found.
inline InstallList documentedInstallList(const std::string& page = AFTERGLOW_SOURCE_DIR "/docs/install.md") {
    std::ifstream in(page);
    InstallList list;
    bool found = false, inBlock = false;
    for (std::string line; std::getline(in, line);) {
        const std::string text = line.substr(std::min(line.find_first_not_of(' '), line.size()));
        if (!found) {
            found = text.find("`cmake --install build --prefix P` installs") != std::string::npos;
        } else if (text.starts_with("```")) {
            if (inBlock) break;
            inBlock = true;
        } else if (inBlock && text.starts_with("P/")) {
            std::istringstream words(text.substr(2));
            std::string path;
            words >> path;
            list.patterns.push_back(path);
        }
    }
    return list;
}
