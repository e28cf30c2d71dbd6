// The page's side of the web platform library: what only the browser's
// JavaScript can do, in page_library.js (linked with --js-library).
//
//   pageFetchData("demo.mp3\nTextures/gradient.jpg\n...");  // then, from the page:
//     pageDataProgress(done, total) after each file, pageMusicDecoded(...) last
//   pageSetTitle("shot ready");
//
// The page calls back into C++ through the functions marked "from the
// page" in page_data.h and page_music.h.
#pragma once

extern "C" {

// The page's query string ("?shot=4000&size=1024x768"), malloc'd; the
// caller frees it.
char* pageQuery();
// Fetches the files (names relative to the page, one a line) into the
// in-memory file system under the same names, then has the browser decode
// "demo.mp3" among them. Reports as it goes (page_data.h).
void pageFetchData(const char* names);
void pageSetTitle(const char* title);
// A box in the page over the canvas, and the console.
void pageShowMessage(const char* caption, const char* text);
// The benchmark's report: the table on the console, the JSON as
// window.afterglowBenchmark (and a console table of its scenes).
void pagePublishBenchmark(const char* json, const char* table);
}
