#include "shaders/shader_files.h"

#include <fstream>
#include <iterator>
#include <set>

#include "image/image_file.h"

const std::vector<ShaderPair>& shaderPairs() {
    static const std::vector<ShaderPair> pairs = {
        {"phong.ps", "phong.vs", {"time", "minus", "div", "mull"}},
        {"envmap.ps", "envmap.vs", {"tex", "time", "vLoc"}},
        {"envmaptex.ps", "envmaptex.vs", {"tex", "time"}},
        {"sweeptex.ps", "envmaptex.vs", {}},
        {"phongdist.ps", "phongdist.vs", {"tex", "time", "minus", "div", "mull", "mul2"}},
        {"phongdist2.ps", "phongdist2.vs", {"time", "minus", "div", "mull", "puls", "pulsmul", "minus2"}},
        {"equ.ps", "equ.vs", {}},
        {"equ2.ps", "equ2.vs", {"tex", "time", "minus", "div", "mull", "mul2"}},
    };
    return pairs;
}

std::vector<std::string> shaderFileNames() {
    std::set<std::string> names;
    for (const ShaderPair& p : shaderPairs()) {
        names.insert(p.fragment);
        names.insert(p.vertex);
    }
    return {names.begin(), names.end()};
}

std::filesystem::path shaderSourceDir() { return AFTERGLOW_SHADER_SOURCE_DIR; }

bool copyShaderFiles(const std::filesystem::path& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const std::string& name : shaderFileNames()) {
        std::ifstream in(shaderSourceDir() / name, std::ios::binary);
        if (!in) {
            error = "cannot read " + (shaderSourceDir() / name).string();
            return false;
        }
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!writeFileBytes(dir / name, bytes, error)) return false;
    }
    return true;
}
