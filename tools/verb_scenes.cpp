#include <cstdio>

#include "runtime/timeline/timeline.h"
#include "verbs.h"

// One line a scene, "K START END" in ms of music, straight from the
// timeline's table, so scripts that visit the scenes never keep a copy of
// it. END is the next scene's start; the last scene's, whose table entry is
// the sentinel, is the end of the presentation.
int inspectScenes(const VerbArgs& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "usage: afterglow-inspect scenes\n");
        return 2;
    }
    for (int k = 0; k < kSceneCount; ++k) {
        const int end = k + 1 < kSceneCount ? sceneStartMs[k + 1] : kPresentationEndMs;
        std::printf("%d %d %d\n", k, sceneStartMs[k], end);
    }
    return 0;
}
