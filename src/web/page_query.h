// The page's query as the program's own command line: the same options,
// read and checked by the same parser (runtime/options/options.h).
//
//   ?shot=4000&size=1024x768            afterglow 1024 768 --shot 4000 canvas
//   ?benchmark&from=20000&to=21000      afterglow --benchmark --from 20000 --to 21000
//
// size=WxH gives the two sizes; shot=MS names the canvas as its file; any
// other key=value is --key=value, a key alone --key. Only the options that
// mean something in a page are taken (kPageOptions); the rest are refused
// with the parser's kind of message.
#pragma once

#include <string>

#include "runtime/options/options.h"

// What --shot writes in the page: nothing; the picture stays on the canvas.
constexpr const char* kCanvasShotPath = "canvas";

ParseResult parsePageQuery(const std::string& query);
