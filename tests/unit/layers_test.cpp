// scripts/check-layers on trees of its own: every include that points up a
// layer is named, and none that points down.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

void writeSource(const TempDir& root, const std::string& path, const std::string& text) {
    const std::filesystem::path file = root / path;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

ProcessResult checkLayers(const TempDir& root) { return runProcess({AFTERGLOW_CHECK_LAYERS, root.path().string()}); }

struct IncludeCase {
    const char* file;
    const char* header;
    bool wrongWay;
};

const IncludeCase kCases[] = {
    // The drawing files sit on gfx, the scenes read the clock, the runtime
    // calls the scene table, content reads the decoder and the timeline.
    {"src/assets/mesh_draw.cpp", "gfx/gl_state.h", false},
    {"src/assets/ase_model.cpp", "assets/ase_text.h", false},
    {"src/gfx/post_fx.cpp", "gfx/display.h", false},
    {"src/gfx/texture_manager.h", "assets/model_textures.h", false},
    {"src/scenes/scene1.cpp", "runtime/timeline.h", false},
    {"src/scenes/scene2.cpp", "runtime/music.h", false},
    {"src/runtime/frame_loop.cpp", "scenes/scenes.h", false},
    {"src/runtime/timeline.cpp", "runtime/music.h", false},
    {"content/score.cpp", "runtime/timeline.h", false},
    {"content/image/contact_sheet.cpp", "assets/jpeg_decoder.h", false},
    // Each of these points up.
    {"src/gfx/gl_extensions.cpp", "runtime/frame_loop.h", true},
    {"src/assets/ase_model.h", "gfx/texture_manager.h", true},
    {"src/assets/spline_path.cpp", "assets/particles.h", true},
    {"src/scenes/scene0.cpp", "runtime/frame_loop.h", true},
    {"src/runtime/startup.cpp", "scenes/tile_field.h", true},
    {"src/runtime/clock_math.cpp", "runtime/music_preload.h", true},
    {"content/music_report.cpp", "runtime/music.h", true},
    {"content/data_folder.cpp", "gfx/engine.h", true},
};

TEST(Layers, IncludesThatPointUpAreNamedAndNoOthers) {
    TempDir root;
    for (const IncludeCase& c : kCases)
        if (!c.wrongWay) writeSource(root, c.file, std::string("#include \"") + c.header + "\"\n");
    const ProcessResult clean = checkLayers(root);
    EXPECT_EQ(clean.exitCode, 0) << clean.out;

    int wrong = 0;
    for (const IncludeCase& c : kCases)
        if (c.wrongWay) {
            // Line 2: the line numbers named must be the include's own.
            writeSource(root, c.file, std::string("// up\n#include \"") + c.header + "\"\n");
            wrong += 1;
        }
    const ProcessResult r = checkLayers(root);
    EXPECT_EQ(r.exitCode, 1);
    for (const IncludeCase& c : kCases) {
        const std::string named = std::string(c.file) + ":" + (c.wrongWay ? "2" : "1") + ": includes \"" + c.header;
        EXPECT_EQ(r.out.find(named) != std::string::npos, c.wrongWay) << named << "\n" << r.out;
    }
    EXPECT_NE(r.err.find(std::to_string(wrong) + " include(s) point the wrong way"), std::string::npos) << r.err;
}

}  // namespace
