// Golden frames: the pictures the program draws at a few chosen times,
// checked against references stored as checksums of their pixels.
//
//   std::vector<GoldenFrame> frames;
//   std::string error;
//   if (!readGoldenFrames(goldenFramesFile(), frames, error)) ...
//   const RenderedFrame now = renderGoldenFrame(frames[0], dir / "shot.png");
//   if (now.error.empty() && now.digest == frames[0].digest) keepReferencePicture(frames[0], now.path);
//
// The references (tests/golden/frames.txt) hold, per frame, the music time,
// the picture's size, the SHA-256 of its decoded RGB pixels and a few words
// on what it shows. Pixels rather than PNG bytes: another zlib or libpng
// packs the same picture differently. The program draws the shot headless
// (EGL, Mesa's llvmpipe), which is exact and repeatable on this platform,
// in the build's data folder: the references are those of the data the
// build generates from content/ (the music's spectrum moves the picture).
//
// Pictures live in the build folder, under golden-frames/: reference/ keeps
// the last picture of each frame that matched its checksum (written when
// the test passes and by scripts/update-golden-frames), different/ the
// picture of a frame that did not, for a person to look at.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct GoldenFrame {
    int ms = 0;
    int width = 1024;
    int height = 768;
    std::string digest;  // 64 hex digits, or "-" for a frame not yet rendered
    std::string what;    // what the frame shows, for people

    std::string name() const { return std::to_string(ms) + "ms"; }
};

// The references of the source tree this build was configured from.
std::filesystem::path goldenFramesFile();
// Reads the references; false with the file, the line and the problem in
// error when a line is not a frame.
bool readGoldenFrames(const std::filesystem::path& file, std::vector<GoldenFrame>& frames, std::string& error);
// Puts each frame's digest into the file's line of that frame (every other
// line stays as it is), replacing the file only once the new one is
// complete. False with the reason in error.
bool writeGoldenFrameDigests(const std::filesystem::path& file, const std::vector<GoldenFrame>& frames,
                             std::string& error);

struct RenderedFrame {
    std::filesystem::path path;  // the PNG the program wrote
    std::string digest;          // of its pixels; empty on an error
    std::string error;           // why there is no picture (the program's own words)
    std::string programErr;      // everything the program said on stderr
};

// Runs the program for the frame's shot, headless, in the data folder.
RenderedFrame renderGoldenFrame(const GoldenFrame& frame, const std::filesystem::path& png);

// SHA-256 of a PNG's decoded RGB pixels, rows top first, as lowercase hex:
// what `ffmpeg -i FILE -f rawvideo -pix_fmt rgb24 - | sha256sum` prints.
// Empty with the reason in error when the file is not a PNG.
std::string pixelDigest(const std::filesystem::path& png, std::string& error);

// How two pictures differ, in words: "38.6 % of bytes differ, up to 14
// levels", or why they cannot be compared.
std::string describeDifference(const std::filesystem::path& before, const std::filesystem::path& after);

// Where a frame's pictures are kept in the build folder.
std::filesystem::path referencePicturePath(const GoldenFrame& frame);
std::filesystem::path differentPicturePath(const GoldenFrame& frame);
// The kept picture of the frame's current reference, or an empty path when
// none is kept (or the one kept belongs to an older reference).
std::filesystem::path keptReferencePicture(const GoldenFrame& frame);
// Keeps a picture that matches the frame's reference and forgets a
// different one kept earlier; keeps a picture that does not match. Both
// return where it was kept (empty when it could not be copied).
std::filesystem::path keepReferencePicture(const GoldenFrame& frame, const std::filesystem::path& png);
std::filesystem::path keepDifferentPicture(const GoldenFrame& frame, const std::filesystem::path& png);
