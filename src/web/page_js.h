// The page's side of the web platform library: what only the browser's
// JavaScript can do, in page_library.js (linked with --js-library).
//
//   pageFetchData("demo.mp3\nTextures/gradient.jpg\n...");  // then, from the page:
//     pageDataProgress(done, total) after each file, pageMusicDecoded(...) last
//   pageSetTitle("shot ready");
//   pageSetPhase("prompt");          // the page's overlays and its input follow
//   double at = pageAudioPlay(52.0); // the music from 52 s, heard from context time `at`
//
// The page calls back into C++ through the functions marked "from the
// page" in page_data.h, page_music.h, page_input.h and page_runs.h.
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

// What the page shows over the picture and where its input goes: "loading"
// (the bar), "prompt" (click or press a key to start: the gesture makes the
// audio context, then pageBeginShow), "playing" (keys and mouse to the
// toolkit's callbacks, page_input.h), "ended" (offers to start again),
// "stopped" (a message box says why).
void pageSetPhase(const char* phase);
// Lays the canvas out so that its 16:9 band, rows bandTop to bandBottom of
// a width x height picture, fills the window as far as it fits, centred,
// black around: again at every resize and on entering full screen.
void pageLayOut(int width, int height, int bandTop, int bandBottom);
// Dev mode's line, as text over the picture's lower edge.
void pageShowLine(const char* text);

// Whether the page has an audio context and the decoded music to play.
int pageAudioAvailable();
// Plays the music from offsetSec on, a moment from now, instead of what
// played before; returns the audio context's time at which offsetSec is
// played (-1 without audio).
double pageAudioPlay(double offsetSec);
void pageAudioStop();
// The audio context's output timestamp: out[0] the context's time of the
// sample leaving for the speakers, out[1] when (performance.now(), ms).
// 0 while the context is not running (suspended by the browser or not yet
// started).
int pageAudioStamp(double* out);

// The clock log (?clocklog=1): one entry a clock read, in the page as
// window.afterglow.clockLog().
void pageLogClock(double readMs, double musicMs, double contextSec, double audioMs, double deltaMs);
// A moment of the show's start, performance.now() ms ("firstFrame",
// "firstNote"), for window.afterglow.startTimes(); the gesture is noted by
// the page itself.
void pageNoteStart(const char* what, double ms);
}
