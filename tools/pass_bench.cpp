// pass-bench: what each full-screen pass costs on this machine.
//
//   pass-bench [--runs N]
//
// Opens a 1024x768 window (needs DISPLAY), builds the render target and the
// pass buffers, and prints the median time in milliseconds of N runs of each
// pass as the scenes call it, each finished with glFinish.
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "gfx/engine.h"
#include "gfx/message_box.h"
#include "runtime/environment/environment.h"

namespace {

double medianMs(int runs, const std::function<void()>& pass) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        pass();
        glFinish();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 20;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[++i]));
    if (!environmentValue(EnvVar::Display)) {
        std::fprintf(stderr, "pass-bench: needs an X display (DISPLAY is not set)\n");
        return 1;
    }
    setMessageBoxesEnabled(false);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(1024, 768);
    glutCreateWindow("pass-bench");

    engine = new Engine();
    engine->shaders = std::make_unique<ShaderManager>();
    engine->shaders->init();
    engine->textures = std::make_unique<TextureManager>();
    glExtensions.load();
    engine->postFx = std::make_unique<PostFx>();
    engine->postFx->init(*engine->textures, GL_LINEAR);
    PostFx& fx = *engine->postFx;
    TextureManager& textures = *engine->textures;

    struct Pass {
        const char* name;
        std::function<void()> run;
    };
    const Pass passes[] = {
        {"glow (false, 0.002, 0.5, 8)", [&] { fx.glow(textures, false, 0.002f, 0.5f, 8); }},
        {"zoomBlur (0.05, 0.5, 8)", [&] { fx.zoomBlur(textures, 0.05f, 0.5f, 8); }},
        {"composite mode 2", [&] { fx.composite(textures, 1.0f, Composite::Picture); }},
        {"composite mode 0", [&] { fx.composite(textures, 1.0f, Composite::GlowAdded); }},
        {"overlay", [&] { fx.overlay(0.0f, 0.0f, 0.0f, 0.5f); }},
        {"waveWarp (10)", [&] { fx.waveWarp(textures, 10, 1.0f); }},
        {"rowWobble (20)", [&] { fx.rowWobble(textures, 20, 1.0f); }},
    };
    std::printf("median of %d runs, 1024x768 window, ms\n", runs);
    for (const Pass& p : passes) std::printf("  %-30s %8.2f\n", p.name, medianMs(runs, p.run));
    return 0;
}
