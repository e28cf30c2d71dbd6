// The music in the page: runtime/audio/music.h for the browser. The music
// is decoded by the browser (page_data.h hands it over); the spectrum comes
// from those samples at the clock's position through the program's own
// spectrum code, so an offline frame sees the bins the native one sees.
//
// The clocks: offline (shots, the benchmark: the replay moves it), and the
// steady wall clock for a show in the page, silent for now (asked for the
// audio clock, it takes the steady one and says so once).
#pragma once

// The decoded music, interleaved stereo, malloc'd; kept for the run. Null
// (or no frames) for none: then the spectrum is silence.
void setPageMusic(float* samples, long long frames, int sampleRate);
