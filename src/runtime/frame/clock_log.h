// The clock log: when each drawn frame read the music clock, what it read,
// and when the frame was on its way to the screen, for setting the picture
// beside the sound (tools/clock-probe records what was audible when).
//
//   if (!openClockLog("clock.tsv", error)) ...   // before the first frame
//   noteClockRead();    // in the frame, just before it reads the clock
//   noteFrameShown();   // right after the swap: the frame's line is written
//
// The file is tab-separated text: a header line, then per drawn frame the
// CLOCK_MONOTONIC nanoseconds of the read, musicTimeMs, frameDeltaMs, the
// audio frames handed to the sound device so far (0 on the steady and the
// offline clock) and the CLOCK_MONOTONIC nanoseconds after the swap. It is
// written line by line as the show goes, so it can be followed, and a run
// cut short keeps the frames it drew.
#pragma once

#include <string>

// False with the reason when path cannot be written.
bool openClockLog(const std::string& path, std::string& error);
void noteClockRead();
void noteFrameShown();
