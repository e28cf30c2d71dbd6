// Join: the video parts of a split capture (`--part K/N`) made into one
// video with the music, without encoding the picture again.
//
//   if (!options.joinPath.empty()) return runJoin(options);  // no window, no GL
//
// Each part's label (runtime/offline/parts.h) is read with ffprobe: the
// parts must be of one capture, each once, none missing; they may be named
// in any order. ffmpeg then copies their frames one after the other into
// the joined video and adds the span of the music once, as a capture in
// one piece does: the frames decode to exactly those of that capture.
#pragma once

#include "runtime/options/options.h"

// Joins options.joinParts into options.joinPath. Returns the exit code:
// 0, or 1 after a message that names the part or the output and the
// problem (a stop by signal is 1 too; quitProgram turns it into the
// signal's code).
int runJoin(const Options& options);
