// EGL beside the window: the same frames through both paths, and the
// start-up checks stop both the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "support/png_read.h"
#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace {

ProcessOptions options(std::vector<std::string> env = {}) { return within(120, AFTERGLOW_DATA_DIR, std::move(env)); }

// The largest difference of any channel, and the mean over all of them.
struct Difference {
    int max = 0;
    double mean = 0.0;
};

Difference difference(const RgbImage& a, const RgbImage& b) {
    Difference d;
    if (a.pixels.size() != b.pixels.size()) return {255, 255.0};
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const int step = std::abs(a.pixels[i] - b.pixels[i]);
        d.max = std::max(d.max, step);
        sum += step;
    }
    d.mean = a.pixels.empty() ? 0.0 : sum / a.pixels.size();
    return d;
}

// A frame drawn into an off-screen window target is the same through EGL
// as through GLX, to the byte. A shot through GLX reads the window itself,
// which differs in two ways the program does not choose: the window is
// 4x multisampled, so the edges of what is drawn into it (the picture's
// quads, the warp grids) are resolved from four samples (up to 16 levels
// measured); and even without multisampling llvmpipe's blending into the
// window's X visual differs from blending into a framebuffer object by at
// most 2 levels (measured). Both are bounded here.
TEST(HeadlessAndWindow, TheSameFramesThroughBothPaths) {
    for (const int ms : {20000, 225000}) {
        TempDir dir;
        const std::string at = std::to_string(ms);
        ProcessResult r = afterglow({"--headless", "--shot", at, (dir / "egl.png").string()}, options());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find("afterglow: --headless: drawing off-screen"), std::string::npos) << r.err;
        r = afterglow({"--shot", at, (dir / "glx.png").string()}, options());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.find("drawing off-screen"), std::string::npos) << "a window was there:\n" << r.err;
        r = afterglow({"--frames", dir.path().string(), "--fps", "60", "--from", at, "--to", std::to_string(ms + 16)},
                      options());
        ASSERT_EQ(r.exitCode, 0) << r.err;

        EXPECT_EQ(fileContents(dir / "egl.png"), fileContents(dir / "frame000000.png")) << at << " ms";
        const Difference d = difference(pngImage((dir / "egl.png").string()), pngImage((dir / "glx.png").string()));
        EXPECT_LE(d.max, 24) << at << " ms";
        EXPECT_LT(d.mean, 0.5) << at << " ms";
    }
}

TEST(HeadlessAndWindow, StartUpChecksStopBothTheSameWay) {
    for (const auto& [hidden, message, code] : std::vector<std::tuple<std::string, std::string, int>>{
             {"glBindFramebufferEXT", "ERROR: One or more EXT_framebuffer_object functions were not found.\n", 255},
             {"GL_ARB_vertex_shader", "Error!: No required OpenGL extensions available. \n", 0}}) {
        for (const char* path : {"--headless", "--windowed"}) {
            TempDir dir;
            const ProcessResult r = afterglow({path, "--shot", "1000", (dir / "x.png").string()},
                                              options({"AFTERGLOW_HIDE_GL_EXTENSIONS=" + hidden}));
            EXPECT_EQ(r.exitCode, code) << path << " " << hidden << "\n" << r.err;
            EXPECT_NE(r.err.find(message), std::string::npos) << path << "\n" << r.err;
            EXPECT_FALSE(std::filesystem::exists(dir / "x.png")) << path;
        }
    }
}

}  // namespace
