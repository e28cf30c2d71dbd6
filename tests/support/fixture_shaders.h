// Small stand-ins for the program's shader files, written into a test's
// working directory: every pair the start-up loads, each compiling and
// linking cleanly and declaring the uniforms scenes set.
#pragma once

#include <filesystem>
#include <string>

// Writes shaders/<name>.ps and .vs for every program into dir.
void writeFixtureShaders(const std::filesystem::path& dir);

// Writes text into dir/relative, making folders as needed.
void writeTextFile(const std::filesystem::path& dir, const std::string& relative, const std::string& text);
