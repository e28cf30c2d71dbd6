// The music decoded on a worker thread while the window opens and the assets
// load, so that the decode costs the start-up nothing where a core is free;
// and played from its first seconds while the rest decodes behind it.
//
//   beginMusicDecode("demo.mp3");                       // early in main, once
//   ...
//   if (musicDecoding("demo.mp3")) {                    // where the music starts
//       MusicSoFar first = waitForMusic(4000.0);        // its first 4 s, or all
//       ... each frame: MusicSoFar now = musicSoFar();  // until now.complete
//   }
//   DecodedMusic music = takeDecodedMusic("demo.mp3");  // the whole of it
//
// A process that ends before the music starts stops the worker on its way
// out (an atexit handler), so every exit path stays clean.
#pragma once

#include <string>

#include "runtime/audio/mp3_decode.h"

// Starts decoding path (relative to the working directory as it is now).
// A second call while the first is pending does nothing.
void beginMusicDecode(const std::string& path);

// Whether the worker decodes path and it has not been taken yet.
bool musicDecoding(const std::string& path);

// The worker's decode as far as it has come: samples holds frames frames
// (interleaved stereo) that stay where they are until the whole is taken.
// Without complete, more are coming; samples is null while none can be read
// so far (the file's length unknown: it is read whole).
struct MusicSoFar {
    const float* samples = nullptr;
    long long frames = 0;
    int sampleRate = 0;
    bool complete = false;
};

// Waits until the decode reaches ms of music, is complete, or cannot be read
// before it is (the caller then takes it whole). The wait and the time the
// worker took to get there go to the start-up report.
MusicSoFar waitForMusic(double ms);
// Without waiting.
MusicSoFar musicSoFar();

// The decode of path: the worker's, waited for, when it decodes that file
// and has not been taken yet; otherwise decoded here and now. The worker's
// time and the wait go to the start-up report, unless waitForMusic already
// told it.
DecodedMusic takeDecodedMusic(const std::string& path);
// After the whole has been taken and nothing reads the samples musicSoFar
// gave any more: what the worker kept for those readers is freed.
void releaseMusicSoFar();
