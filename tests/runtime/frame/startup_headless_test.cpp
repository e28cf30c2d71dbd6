// Start-up of the real program: its console output with every shader
// present, and how it stops when the driver lacks something it needs
// (simulated by hiding extensions from its checks).
#include <gtest/gtest.h>

#include <sstream>

#include "support/fixture_shaders.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

ProcessResult shotIn(const TempDir& dir, const std::string& hidden = {}) {
    ProcessOptions options;
    options.workingDir = dir.path().string();
    options.timeoutSec = 60;
    // The folder's own shaders (or none), not the data beside the program.
    options.setEnv = {"AFTERGLOW_DATA_DIR=" + dir.path().string()};
    if (!hidden.empty()) options.setEnv.push_back("AFTERGLOW_HIDE_GL_EXTENSIONS=" + hidden);
    return runProcess({AFTERGLOW_BINARY, "--shot", "1000", (dir / "shot.png").string()}, options);
}

TEST(StartUp, CompilesEightProgramsFragmentFileFirstThenInitializes) {
    TempDir dir;
    writeFixtureShaders(dir.path());
    const ProcessResult r = shotIn(dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> expected = {
        "Compiling shader shaders\\phong.ps shaders\\phong.vs",
        "Compiling shader shaders\\envmap.ps shaders\\envmap.vs",
        "Compiling shader shaders\\envmaptex.ps shaders\\envmaptex.vs",
        "Compiling shader shaders\\sweeptex.ps shaders\\envmaptex.vs",
        "Compiling shader shaders\\phongdist.ps shaders\\phongdist.vs",
        "Compiling shader shaders\\phongdist2.ps shaders\\phongdist2.vs",
        "Compiling shader shaders\\equ.ps shaders\\equ.vs",
        "Compiling shader shaders\\equ2.ps shaders\\equ2.vs",
        "initialize()",
    };
    const std::vector<std::string> out = lines(r.out);
    ASSERT_GE(out.size(), expected.size()) << r.out;
    EXPECT_EQ(std::vector<std::string>(out.begin(), out.begin() + expected.size()), expected) << r.out;
    // Clean shaders leave no logs; a driver with everything, no complaints.
    EXPECT_EQ(r.out.find("COMPILATION STATUS"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Program Log"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find("GL error"), std::string::npos) << r.err;
}

TEST(StartUp, WithoutOpenGl2ItSaysSoAndRunsOn) {
    TempDir dir;
    const ProcessResult r = shotIn(dir, "GL_VERSION_2_0");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Error: OpenGL 2.0 functionality can't be found.\n"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "shot.png"));
}

struct Failure {
    std::string hidden;
    std::string message;  // as on stderr: "caption: text"
    int exitCode;
};

TEST(StartUp, EachMissingCapabilityStopsWithItsMessageAndCode) {
    const std::string noFbo =
        "ERROR: EXT_framebuffer_object extension was not found. Upgrade your drivers or video card?\n";
    const std::string noEntryPoint = "ERROR: One or more EXT_framebuffer_object functions were not found.\n";
    const std::string noGlsl = "Error!: No required OpenGL extensions available. \n [GL_ARB_*] - glsl-shaders.\n";
    const std::vector<Failure> failures = {
        {"EXT_framebuffer_object", noFbo, 255},
        {"glIsRenderbufferEXT", noEntryPoint, 255},  // the first entry point, never called
        {"glBindFramebufferEXT", noEntryPoint, 255},
        {"glGenerateMipmapEXT", noEntryPoint, 255},  // the last one
        {"GL_ARB_fragment_shader", noGlsl, 0},
        {"GL_ARB_fragment_program", noGlsl, 0},
        {"GL_ARB_shading_language_100", noGlsl, 0},
        {"GL_ARB_vertex_shader", noGlsl, 0},
        {"GL_ARB_shader_objects", noGlsl, 0},
        {"GL_ARB_vertex_shader,GL_ARB_fragment_shader", noGlsl, 0},
        // The framebuffer test comes first, whatever else is missing.
        {"GL_ARB_shader_objects,EXT_framebuffer_object", noFbo, 255},
    };
    for (const Failure& f : failures) {
        TempDir dir;
        const ProcessResult r = shotIn(dir, f.hidden);
        EXPECT_EQ(r.exitCode, f.exitCode) << f.hidden;
        EXPECT_NE(r.err.find(f.message), std::string::npos) << f.hidden << "\n" << r.err;
        // The shaders and images were loaded before the checks.
        EXPECT_NE(r.out.find("initialize()"), std::string::npos) << f.hidden;
        EXPECT_EQ(r.out.find("Compiling shader"), 0u) << f.hidden;
        EXPECT_FALSE(std::filesystem::exists(dir / "shot.png")) << f.hidden;
    }
}

TEST(StartUp, TheTestSwitchIsDocumented) {
    const ProcessResult help = runProcess({AFTERGLOW_BINARY, "--help"});
    EXPECT_NE(help.out.find("AFTERGLOW_HIDE_GL_EXTENSIONS=NAME,..."), std::string::npos) << help.out;
}

TEST(StartUp, NamesAreTestedAsSubstringsOfTheWholeString) {
    // Hiding the unprefixed "ARB_shader_objects" also hides
    // "GL_ARB_shader_objects"; hiding an unrelated name changes nothing.
    TempDir dir;
    const ProcessResult unprefixed = shotIn(dir, "ARB_shader_objects");
    EXPECT_EQ(unprefixed.exitCode, 0);
    EXPECT_NE(unprefixed.err.find("glsl-shaders"), std::string::npos) << unprefixed.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "shot.png"));
    const ProcessResult r = shotIn(dir, "GL_NV_no_such_extension");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "shot.png"));
}

}  // namespace
