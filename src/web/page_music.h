// The music in the page: runtime/audio/music.h for the browser. The music
// is decoded by the browser (page_data.h hands it over); the spectrum comes
// from those samples at the clock's position through the program's own
// spectrum code, so an offline frame sees the bins the native one sees.
//
// The clocks, as natively:
//   audio    the browser plays the music (Web Audio), and the clock is the
//            position it is heard at: the audio context's output timestamp
//            (the context's time of the sample leaving for the speakers, and
//            when), run on to the read and smoothed by the native clock's
//            own smoothing (runtime/timeline/clock_math.h)
//   steady   the wall clock, silent: without the music, or a browser that
//            gives no audio, or plays none within 2 s of the first frame
//   offline  shots and the benchmark: the replay moves it
//
// The music starts with the first frame (waitForMusicToPlay), as natively;
// until it is heard the clock holds its start. An audio context the browser
// suspends holds the clock where it is, and so does a hidden page (the
// music stops with the picture); both go on together when it plays again.
// The audio context must come from a user's gesture: the page's prompt
// makes it (page_library.js) before the show starts.
#pragma once

// The decoded music, interleaved stereo, malloc'd; kept for the run. Null
// (or no frames) for none: then the spectrum is silence.
void setPageMusic(float* samples, long long frames, int sampleRate);

// With it on, every clock read goes to the page's clock log
// (window.afterglow.clockLog()): when it was read, musicTimeMs, the audio
// context's time and the music heard then, frameDeltaMs.
void logPageClock(bool on);

extern "C" {
// From the page: it was hidden (1) or shown again (0).
void pageHiddenChanged(int hidden);
}
