// seek-bench: what rebuilding the scenes' state for a shot, an offline run
// from a later time or a seek in dev mode costs on this machine.
//
//   cd build && ./seek-bench [--fps N] [--runs N]
//
// Loads the scenes from the data folder in the working directory (no GL,
// no window) and prints per scene: its frames at N fps (default 60), the
// draws its frames take from the shared C-library sequence (all of them and
// the most in one frame), then the median time to step the earlier scenes'
// frames up to its start (what a shot there adds) and to rebuild the state
// at its last frame (the dearest seek into it).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "assets/crt_random.h"
#include "runtime/replay/replay.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scenes.h"

namespace {

double medianMs(int runs, const std::function<void()>& step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        restoreStartOfShow();
        const auto start = std::chrono::steady_clock::now();
        step();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Steps of the generator from one state to another.
long long drawsBetween(uint32_t from, uint32_t to) {
    long long n = 0;
    for (uint32_t s = from; s != to; ++n) s = s * 214013u + 2531011u;
    return n;
}

// The loaders print their progress; the table is what this tool is for.
void loadScenesQuietly() {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    if (!std::freopen("/dev/null", "w", stdout)) return;
    for (const SceneEntry& scene : sceneTable) scene.init();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    rememberStartOfShow();
}

struct SceneDraws {
    long long frames = 0;
    long long draws = 0;
    long long mostInAFrame = 0;
};

// Every frame of a run from 0 at fps, the state half, counted per scene.
std::vector<SceneDraws> countDraws(double fps) {
    std::vector<SceneDraws> scenes(kSceneCount);
    restoreStartOfShow();
    for (long long n = 0;; ++n) {
        const double t = n * 1000.0 / fps;
        if (t > kPresentationEndMs) break;
        const uint32_t before = crtRandState();
        stepSceneFrameAt(t, 1000.0 / fps);
        SceneDraws& s = scenes[static_cast<size_t>(sceneIndex)];
        const long long draws = drawsBetween(before, crtRandState());
        s.frames += 1;
        s.draws += draws;
        s.mostInAFrame = std::max(s.mostInAFrame, draws);
    }
    return scenes;
}

}  // namespace

int main(int argc, char** argv) {
    double fps = kShotFps;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--fps") == 0) fps = std::max(1.0, std::atof(argv[i + 1]));
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    loadScenesQuietly();
    const std::vector<SceneDraws> draws = countDraws(fps);

    std::printf("seek-bench: scene state as a run from 0 at %g fps leaves it (median of %d runs)\n\n", fps, runs);
    std::printf("scene  frames  crt draws  most in a frame  earlier scenes ms  rebuild at its end ms\n");
    for (int k = 0; k < kSceneCount; ++k) {
        const double start = sceneStartMs[k] + 1.0;
        const double end = std::min(sceneStartMs[k + 1], kPresentationEndMs);
        const double advance = medianMs(runs, [&] { advanceEarlierScenes(start, fps); });
        const double rebuild = medianMs(runs, [&] { rebuildSceneStateAt(end, fps); });
        const SceneDraws& d = draws[static_cast<size_t>(k)];
        std::printf("%5d  %6lld  %9lld  %15lld  %17.1f  %21.1f\n", k, d.frames, d.draws, d.mostInAFrame, advance,
                    rebuild);
    }
    return 0;
}
