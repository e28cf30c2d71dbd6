// update-golden-frames: renders every frame of tests/golden/frames.txt with
// this build's program, writes the new checksums into the file and says per
// frame what happened: unchanged, changed (by how much, when the picture of
// the old reference is kept in the build folder) or new. Run through
// scripts/update-golden-frames, which builds it first.
//
// Exits 0 once the file is written, whatever changed; 1 when a frame could
// not be rendered (its old checksum stays) or the file not read or written.
#include <cstdio>
#include <iostream>

#include "golden_frames.h"
#include "support/temp_dir.h"

int main() {
    const std::filesystem::path file = goldenFramesFile();
    std::vector<GoldenFrame> frames;
    std::string error;
    if (!readGoldenFrames(file, frames, error)) {
        std::cerr << "update-golden-frames: " << error << "\n";
        return 1;
    }
    TempDir dir;
    int changed = 0, added = 0, failed = 0;
    for (GoldenFrame& frame : frames) {
        const RenderedFrame now = renderGoldenFrame(frame, dir / (frame.name() + ".png"));
        std::string verdict;
        if (!now.error.empty()) {
            verdict = "FAILED: " + now.error + " (the old checksum stays)";
            ++failed;
        } else if (frame.digest == "-") {
            verdict = "new";
            ++added;
        } else if (now.digest == frame.digest) {
            verdict = "unchanged";
        } else {
            const std::filesystem::path kept = keptReferencePicture(frame);
            verdict = "changed: " + (kept.empty() ? "no picture of the old reference is kept to compare with"
                                                  : describeDifference(kept, now.path));
            ++changed;
        }
        if (now.error.empty()) {
            frame.digest = now.digest;
            keepReferencePicture(frame, now.path);
        }
        std::printf("%7d ms  %s  (%s)\n", frame.ms, verdict.c_str(), frame.what.c_str());
        std::fflush(stdout);
    }
    if (!writeGoldenFrameDigests(file, frames, error)) {
        std::cerr << "update-golden-frames: " << error << "\n";
        return 1;
    }
    std::printf("update-golden-frames: %zu frames, %d changed, %d new, %d failed; wrote %s\n", frames.size(), changed,
                added, failed, file.c_str());
    if (changed + added > 0) std::printf("Name the frames that changed in the commit message.\n");
    return failed > 0 ? 1 : 0;
}
