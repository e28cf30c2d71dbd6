// A scratch directory removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A whole file's bytes (empty when it cannot be read), and a file made of text.
std::string fileContents(const std::filesystem::path& path);
void putFile(const std::filesystem::path& path, const std::string& text);
