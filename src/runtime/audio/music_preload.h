// The music decoded on a worker thread while the window opens and the assets
// load, so that the decode costs the start-up nothing where a core is free.
//
//   beginMusicDecode("demo.mp3");                       // early in main, once
//   ...
//   DecodedMusic music = takeDecodedMusic("demo.mp3");  // where the music starts
//
// A process that ends before the music starts stops the worker on its way
// out (an atexit handler), so every exit path stays clean.
#pragma once

#include <string>

#include "runtime/audio/mp3_decode.h"

// Starts decoding path (relative to the working directory as it is now).
// A second call while the first is pending does nothing.
void beginMusicDecode(const std::string& path);

// The decode of path: the worker's, waited for, when it decodes that file
// and has not been taken yet; otherwise decoded here and now. The worker's
// time and the wait go to the start-up report.
DecodedMusic takeDecodedMusic(const std::string& path);
