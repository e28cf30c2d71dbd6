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

TEST(Layers, IncludesThatPointUpAreNamedAndNoOthers) {
    TempDir root;
    // Each may: the drawing files sit on gfx, the scenes read the clock, the
    // runtime calls the scene table, content reads the decoder and timeline.
    writeSource(root, "src/assets/mesh_draw.cpp", "#include \"assets/ase_model.h\"\n#include \"gfx/gl_state.h\"\n");
    writeSource(root, "src/gfx/post_fx.cpp", "#include \"gfx/display.h\"\n#include \"assets/ase_text.h\"\n");
    writeSource(root, "src/scenes/scene1.cpp", "#include \"runtime/timeline.h\"\n#include \"runtime/music.h\"\n");
    writeSource(root, "src/runtime/frame_loop.cpp", "#include \"scenes/scenes.h\"\n#include \"gfx/engine.h\"\n");
    writeSource(root, "src/runtime/timeline.cpp", "#include \"runtime/music.h\"\n");
    writeSource(root, "content/score.cpp", "#include \"runtime/timeline.h\"\n#include \"assets/jpeg_decoder.h\"\n");
    EXPECT_EQ(checkLayers(root).exitCode, 0) << checkLayers(root).out;

    // Each may not.
    writeSource(root, "src/gfx/gl_extensions.cpp", "#include \"gfx/display.h\"\n#include \"runtime/frame_loop.h\"\n");
    writeSource(root, "src/assets/ase_model.h", "#pragma once\n#include \"gfx/texture_manager.h\"\n");
    writeSource(root, "src/assets/spline_path.cpp", "#include \"assets/particles.h\"\n");
    writeSource(root, "src/scenes/scene0.cpp", "#include \"runtime/frame_loop.h\"\n");
    writeSource(root, "src/runtime/startup.cpp", "#include \"scenes/scenes.h\"\n#include \"scenes/tile_field.h\"\n");
    writeSource(root, "src/runtime/clock_math.cpp", "#include \"runtime/music_preload.h\"\n");
    writeSource(root, "content/music_report.cpp", "#include \"runtime/music.h\"\n#include \"gfx/engine.h\"\n");
    const ProcessResult r = checkLayers(root);
    EXPECT_EQ(r.exitCode, 1);
    for (const char* wrong :
         {"src/gfx/gl_extensions.cpp:2: includes \"runtime/frame_loop.h\"", "src/assets/ase_model.h:2:",
          "src/assets/spline_path.cpp:1:", "src/scenes/scene0.cpp:1:", "src/runtime/startup.cpp:2:",
          "src/runtime/clock_math.cpp:1:", "content/music_report.cpp:1:", "content/music_report.cpp:2:"})
        EXPECT_NE(r.out.find(wrong), std::string::npos) << wrong << "\n" << r.out;
    EXPECT_NE(r.err.find("8 include(s) point the wrong way"), std::string::npos) << r.out << r.err;
}

}  // namespace
