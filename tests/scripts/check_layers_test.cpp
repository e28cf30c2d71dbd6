// The layer order of LAYERS.md, kept by the compiler and by
// scripts/check-layers: an include that points up does not compile with the
// include path its library is built with, and the script names folders that
// are no library and include cycles between modules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// Compiles `#include "header"` with the include path a library's own
// sources are compiled with (written by the build, cmake/layers.cmake).
ProcessResult compileInclude(const std::string& library, const std::string& header) {
    std::ifstream list(std::string(AFTERGLOW_BUILD_DIR) + "/layers/" + library + "/include-path");
    std::vector<std::string> command = {AFTERGLOW_CXX, "-std=c++20", "-fsyntax-only"};
    for (std::string dir; std::getline(list, dir);)
        if (!dir.empty()) command.push_back("-I" + dir);
    TempDir dir;
    const std::filesystem::path probe = dir / "probe.cpp";
    writeFile(probe, "#include \"" + header + "\"\n");
    command.push_back(probe.string());
    return runProcess(command);
}

struct IncludeCase {
    const char* library;
    const char* header;
    bool compiles;
};

const IncludeCase kIncludes[] = {
    // Down, and within a library.
    {"draw", "gfx/gl_state.h", true},
    {"gfx", "assets/ase_model.h", true},
    {"scenes", "scenes/scene_common.h", true},
    {"scenes", "runtime/timeline/clock.h", true},
    {"replay", "scenes/scenes.h", true},
    {"app", "runtime/offline/shot.h", true},
    // Up, sideways, and into the scenes past their table.
    {"assets", "assets/draw/particles.h", false},
    {"gfx", "runtime/frame/frame_loop.h", false},
    {"timeline", "runtime/audio/music.h", false},
    {"scenes", "runtime/replay/replay.h", false},
    {"options", "runtime/platform/output_file.h", false},
    {"replay", "scenes/tile_field.h", false},
    {"frame", "runtime/offline/offline_run.h", false},
};

TEST(Layers, AnIncludeThatPointsUpDoesNotCompile) {
    for (const IncludeCase& c : kIncludes) {
        const ProcessResult r = compileInclude(c.library, c.header);
        EXPECT_EQ(r.exitCode == 0, c.compiles) << c.library << " including " << c.header << "\n" << r.err;
        if (!c.compiles) {
            EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
        }
    }
}

ProcessResult checkLayers(const TempDir& root) { return runProcess({AFTERGLOW_CHECK_LAYERS, root.path().string()}); }

const char* const kTable =
    "| Library | Folder | Built on | Seen above | What it holds |\n"
    "|---|---|---|---|---|\n"
    "| `afterglow_low` | `src/low` | | all | the bottom |\n"
    "| `afterglow_high` | `src/high/part` | `afterglow_low` | all | the top |\n";

TEST(Layers, CheckNamesFoldersOutsideTheTableAndIncludeCycles) {
    TempDir root;
    writeFile(root / "LAYERS.md", kTable);
    // A chain down, a header with its own .cpp, and includes of a system
    // header and of one that is not there: no cycle.
    writeFile(root / "src/low/a.h", "#pragma once\n#include <vector>\n");
    writeFile(root / "src/low/a.cpp", "#include \"low/a.h\"\n#include \"low/b.h\"\n");
    writeFile(root / "src/low/b.h", "#pragma once\n#include \"nowhere/else.h\"\n");
    writeFile(root / "src/high/part/c.h", "#pragma once\n");
    writeFile(root / "src/high/part/c.cpp", "#include \"low/a.h\"\n#include \"high/part/c.h\"\n");
    const ProcessResult clean = checkLayers(root);
    EXPECT_EQ(clean.exitCode, 0) << clean.out << clean.err;

    // A folder the table does not name, and the chain closed into a circle.
    writeFile(root / "src/stray/d.cpp", "int d;\n");
    writeFile(root / "src/low/b.cpp", "#include \"low/b.h\"\n// round\n#include \"high/part/c.h\"\n");
    const ProcessResult r = checkLayers(root);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("src/stray: holds sources but is no library of LAYERS.md"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("include cycle: high/part/c -> low/a -> low/b -> high/part/c"), std::string::npos)
        << r.out;
    // Each step of the circle by its file and line.
    EXPECT_NE(r.out.find("src/high/part/c.cpp:1: includes \"low/a.h\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("src/low/a.cpp:2: includes \"low/b.h\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("src/low/b.cpp:3: includes \"high/part/c.h\""), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("src/low:"), std::string::npos) << r.out;
}

}  // namespace
