#include "support/fixture_shaders.h"

#include <fstream>

namespace {

constexpr const char* kVertex =
    "void main() {\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "    gl_FrontColor = gl_Color;\n"
    "    gl_Position = ftransform();\n"
    "}\n";

// Every uniform any scene sets, each used so that none is optimised away.
constexpr const char* kFragment =
    "uniform sampler2D tex;\n"
    "uniform float time, minus, div, mull, mul2, puls, pulsmul, minus2, vLoc;\n"
    "void main() {\n"
    "    float k = time + minus + div + mull + mul2 + puls + pulsmul + minus2 + vLoc;\n"
    "    gl_FragColor = gl_Color * texture2D(tex, gl_TexCoord[0].st) + vec4(k * 0.0);\n"
    "}\n";

constexpr const char* kFragmentNames[] = {"phong", "envmap", "envmaptex", "sweeptex",
                                          "phongdist", "phongdist2", "equ", "equ2"};
constexpr const char* kVertexNames[] = {"phong", "envmap", "envmaptex", "phongdist",
                                        "phongdist2", "equ", "equ2"};

}  // namespace

void writeTextFile(const std::filesystem::path& dir, const std::string& relative, const std::string& text) {
    const std::filesystem::path path = dir / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void writeFixtureShaders(const std::filesystem::path& dir) {
    for (const char* name : kFragmentNames) writeTextFile(dir, std::string("shaders/") + name + ".ps", kFragment);
    for (const char* name : kVertexNames) writeTextFile(dir, std::string("shaders/") + name + ".vs", kVertex);
}
