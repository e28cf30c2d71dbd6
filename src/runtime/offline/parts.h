// Parts of a split capture: which frames `--part K/N` draws, and the label
// each part file carries so that `--join` can check that the parts belong
// together and put them in order.
//
//   const PartSlice slice = partSlice(totalFrames, 2, 4);  // frames [first, end)
//   settings.comment = partComment(label);                // into the part file
//   PartLabel read;
//   if (readPartComment(ffprobeOutput, read)) ...
#pragma once

#include <string>

// Frames [first, end) of the whole run's frames 0 .. total - 1.
struct PartSlice {
    long long first = 0;
    long long end = 0;
};

// The index-th (from 1) of count consecutive slices, as equal as whole
// frames allow; every frame is in exactly one.
PartSlice partSlice(long long total, int index, int count);

// What a part says of itself: everything that must be the same for all the
// parts of one capture, and which of them it is.
struct PartLabel {
    int index = 0;  // from 1
    int count = 0;
    PartSlice frames;
    long long totalFrames = 0;
    int width = 0;
    int height = 0;
    int fps = 0;
    int crf = 0;
    long long fromMs = 0;
    long long toMs = 0;
};

// "afterglow part 2/4: frames 15-30 of 60 frames, 800x600 at 30 fps, crf 16,
// music 40000-42000 ms"
std::string partComment(const PartLabel& label);
// False when text is not such a label (a video that is not a part).
bool readPartComment(const std::string& text, PartLabel& label);
// The capture the part belongs to, without which part it is: equal for
// the parts of one capture.
std::string captureOfPart(const PartLabel& label);
