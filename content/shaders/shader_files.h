// The GLSL pairs the program compiles at start-up. Their sources are the
// files beside this one; the generator copies them into "shaders/".
//
//   for (const ShaderPair& p : shaderPairs()) ... p.fragment, p.vertex, p.uniforms
//   copyShaderFiles(outDir / "shaders", error);
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ShaderPair {
    std::string fragment;               // file name, e.g. "phong.ps"
    std::string vertex;                 // e.g. "phong.vs"
    std::vector<std::string> uniforms;  // what the scenes set; "tex" is a sampler, the rest floats
};

// The eight programs in the program's load order.
const std::vector<ShaderPair>& shaderPairs();

// Every distinct file the pairs name, sorted.
std::vector<std::string> shaderFileNames();

// Where the sources live in the source tree.
std::filesystem::path shaderSourceDir();

// Copies every file into dir (created if needed); false with the reason.
bool copyShaderFiles(const std::filesystem::path& dir, std::string& error);
