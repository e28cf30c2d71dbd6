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

// Makes dir the working directory until it goes out of scope.
class WorkingDir {
public:
    explicit WorkingDir(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~WorkingDir() { std::filesystem::current_path(previous_); }
    WorkingDir(const WorkingDir&) = delete;
    WorkingDir& operator=(const WorkingDir&) = delete;

private:
    std::filesystem::path previous_;
};

// A whole file's bytes (empty when it cannot be read), and a file made of text.
std::string fileContents(const std::filesystem::path& path);
void putFile(const std::filesystem::path& path, const std::string& text);
