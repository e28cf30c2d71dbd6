#include <gtest/gtest.h>

#include <vector>

#include "runtime/offline/parts.h"

namespace {

TEST(Parts, EveryFrameOfTheSpanIsInExactlyOnePartAndThePartsAreAlmostEqual) {
    for (const long long total : {1LL, 2LL, 7LL, 60LL, 14592LL}) {
        for (int count = 1; count <= 9 && count <= total; ++count) {
            long long next = 0;
            for (int index = 1; index <= count; ++index) {
                const PartSlice slice = partSlice(total, index, count);
                EXPECT_EQ(slice.first, next) << total << " frames, part " << index << "/" << count;
                const long long frames = slice.end - slice.first;
                EXPECT_GE(frames, total / count);
                EXPECT_LE(frames, total / count + 1);
                next = slice.end;
            }
            EXPECT_EQ(next, total) << total << " frames in " << count << " parts";
        }
    }
}

PartLabel secondOfFour() {
    return {.index = 2,
            .count = 4,
            .frames = partSlice(60, 2, 4),
            .totalFrames = 60,
            .width = 800,
            .height = 600,
            .fps = 30,
            .crf = 16,
            .fromMs = 40000,
            .toMs = 42000};
}

TEST(Parts, TheLabelSaysWhichPartOfWhichCapture) {
    const PartLabel label = secondOfFour();
    const std::string comment = partComment(label);
    EXPECT_EQ(comment,
              "afterglow part 2/4: frames 15-30 of 60 frames, 800x600 at 30 fps, crf 16, music 40000-42000 ms");
    PartLabel read;
    ASSERT_TRUE(readPartComment(comment + "\n", read));  // as ffprobe prints it
    EXPECT_EQ(partComment(read), comment);

    // What belongs to the capture changes its name; which part it is does not.
    PartLabel other = label;
    other.index = 3;
    other.frames = partSlice(60, 3, 4);
    EXPECT_EQ(captureOfPart(other), captureOfPart(label));
    for (auto change :
         std::vector<void (*)(PartLabel&)>{[](PartLabel& l) { l.width = 640; }, [](PartLabel& l) { l.fps = 60; },
                                           [](PartLabel& l) { l.crf = 0; }, [](PartLabel& l) { l.toMs = 43000; }}) {
        other = label;
        change(other);
        EXPECT_NE(captureOfPart(other), captureOfPart(label));
    }
}

TEST(Parts, AnythingElseIsNotALabel) {
    PartLabel read;
    for (const char* text :
         {"", "Lavf59.27.100", "afterglow part 2/4",
          // frames that are not the slice of part 2 of 4
          "afterglow part 2/4: frames 14-30 of 60 frames, 800x600 at 30 fps, crf 16, music 40000-42000 ms",
          "afterglow part 5/4: frames 15-30 of 60 frames, 800x600 at 30 fps, crf 16, music 40000-42000 ms",
          "afterglow part 2/4: frames 15-30 of 60 frames, 800x600 at 30 fps, crf 16, music 40000-42000 ms "
          "and more"})
        EXPECT_FALSE(readPartComment(text, read)) << text;
}

}  // namespace
