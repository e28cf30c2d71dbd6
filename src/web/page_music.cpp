// runtime/audio/music.h in the page (page_music.h).
#include "web/page_music.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "runtime/audio/music.h"
#include "runtime/timeline/clock_math.h"
#include "runtime/timeline/timeline.h"
#include "web/page_js.h"

namespace {

// How far past the browser's last output timestamp the position runs on by
// the wall clock, as natively past the last callback: the browser renews it
// with every render callback (each 10 ms in chromium here). Older than this,
// the audio is not moving and the clock slows down to wait for it.
constexpr int kStampFrames = 2048;
// The music must be heard within this long of the first frame, or the show
// goes on silently: a browser that never lets the audio context run (as a
// sound device that never starts natively).
constexpr double kStartTimeoutSec = 2.0;

struct PageMusic {
    const float* samples = nullptr;
    long long frames = 0;
    int sampleRate = 0;
    ClockMode mode = ClockMode::Steady;

    // audio: the music at playOffsetMs is heard from the context's time
    // playStartSec on (page_js.h's pageAudioPlay)
    bool letGo = false;    // the first frame is drawn: the music may play
    bool playing = false;  // the browser has the music to play
    bool heard = false;    // heard since the show started
    double playOffsetMs = 0.0;
    double playStartSec = 0.0;
    double letGoAtSec = 0.0;
    double smoothedMs = 0.0;
    double lastUpdateSec = 0.0;
    bool synced = false;  // the last read took the audio's position

    // steady: position = baseMs + (now - baseSec)
    double baseMs = 0.0;
    double baseSec = 0.0;

    // held, by dev mode's pause or while the page is hidden: every read
    // gives heldMs, and the music is stopped
    bool paused = false;
    bool hidden = false;
    double heldMs = 0.0;
} music;

// What the last read saw, for the clock log.
struct ClockRead {
    double contextSec = NAN;  // the audio context's time at the read
    double audioMs = NAN;     // the music heard then
} lastRead;

bool clockLogOn = false;
bool firstNoteTold = false;
float spectrumStorage[kSpectrumSize];

double wallSeconds() { return emscripten_get_now() / 1000.0; }

double steadyPositionMs() { return music.baseMs + (wallSeconds() - music.baseSec) * 1000.0; }

bool held() { return music.paused || music.hidden; }

// As natively: seeks stay inside the music, but never short of the end of
// the presentation.
double clampSeek(double ms) {
    return clockmath::clampSeekMs(ms, std::max(musicLengthMs(), static_cast<double>(kPresentationEndMs)));
}

void enterSteady(double ms) {
    music.mode = ClockMode::Steady;
    music.baseMs = ms;
    music.baseSec = wallSeconds();
}

void stopAudio() {
    if (music.playing) pageAudioStop();
    music.playing = false;
}

// The music from ms on, from now; the clock holds at ms until it is heard.
void playFrom(double ms) {
    music.playOffsetMs = ms;
    music.smoothedMs = ms;
    music.synced = false;
    if (!music.letGo) return;  // the first frame lets it go
    music.playStartSec = pageAudioPlay(ms / 1000.0);
    music.playing = music.playStartSec >= 0.0;
}

void moveTo(double ms) {
    if (held()) {
        music.heldMs = ms;
        return;
    }
    switch (music.mode) {
    case ClockMode::Offline:
        break;  // the replay moves the clock
    case ClockMode::Steady:
        enterSteady(ms);
        break;
    case ClockMode::Audio:
        playFrom(ms);
        break;
    }
}

void fallBackToSteady(const char* why) {
    std::fprintf(stderr, "afterglow: %s; the music clock continues silently\n", why);
    stopAudio();
    enterSteady(music.smoothedMs);
}

double audioPositionMs() {
    const double now = wallSeconds();
    const double stepMs = (now - music.lastUpdateSec) * 1000.0;
    music.lastUpdateSec = now;
    if (!music.playing) return music.smoothedMs;
    double stamp[2] = {0.0, 0.0};  // the context's time, and when it leaves for the speakers (ms)
    const bool running = pageAudioStamp(stamp);
    const double heardSec = stamp[0] - music.playStartSec;
    if (!running || heardSec < 0.0) {
        // Suspended, or not out yet (a start, a seek): the clock holds, and
        // takes the music's position as it is heard again. Neither the wait
        // nor a suspension is a step of the music's.
        if (!music.heard && now - music.letGoAtSec > kStartTimeoutSec)
            fallBackToSteady("the browser did not play the music");
        music.synced = false;
        return music.smoothedMs;
    }
    if (!music.heard && !firstNoteTold) {
        // When the sample at the start reached the speakers, as the browser
        // reckons it: the first note.
        pageNoteStart("firstNote", stamp[1] - heardSec * 1000.0);
        firstNoteTold = true;
    }
    music.heard = true;
    const double rate = static_cast<double>(music.sampleRate);
    const auto heardFrame = static_cast<long long>(std::llround((music.playOffsetMs / 1000.0 + heardSec) * rate));
    const double sinceSec = now - stamp[1] / 1000.0;
    const double target = clockmath::audioTargetMs(heardFrame, sinceSec, music.sampleRate, kStampFrames, 0);
    lastRead = {.contextSec = stamp[0] + std::clamp(sinceSec, 0.0, kStampFrames / rate), .audioMs = target};
    music.smoothedMs = music.synced ? clockmath::smoothPosition(music.smoothedMs, target, stepMs)
                                    : std::max(music.smoothedMs, target);
    music.synced = true;
    return music.smoothedMs;
}

double currentPositionMs() {
    lastRead = {};
    if (held()) return music.heldMs;
    switch (music.mode) {
    case ClockMode::Offline:
        return musicTimeMs;  // moved by the replay, never read here
    case ClockMode::Audio: {
        const double pos = audioPositionMs();
        // The fallback may just have switched us over; read the new source.
        return music.mode == ClockMode::Steady ? steadyPositionMs() : pos;
    }
    case ClockMode::Steady:
        break;
    }
    return steadyPositionMs();
}

// Holds the clock and stops the music while paused or hidden; both go on
// from the held position once neither is so.
void setHeld(bool paused, bool hidden) {
    const bool wasHeld = held();
    music.paused = paused;
    music.hidden = hidden;
    if (held() == wasHeld || music.mode == ClockMode::Offline) return;
    if (held()) {
        music.heldMs = musicTimeMs;
        stopAudio();
    } else {
        moveTo(music.heldMs);
    }
}

}  // namespace

void setPageMusic(float* samples, long long frames, int sampleRate) {
    music.samples = frames > 0 ? samples : nullptr;
    music.frames = music.samples ? frames : 0;
    music.sampleRate = music.samples ? sampleRate : 0;
}

void logPageClock(bool on) { clockLogOn = on; }

int startMusic(const MusicConfig& config) {
    spectrumBins = spectrumStorage;
    std::fill(std::begin(spectrumStorage), std::end(spectrumStorage), 0.0f);
    stopAudio();
    music.mode = config.mode;
    if (!music.samples) {
        std::fprintf(stderr, "afterglow: no playable %s; the presentation runs silently\n", config.path.c_str());
        if (music.mode == ClockMode::Audio) music.mode = ClockMode::Steady;
    } else if (music.mode == ClockMode::Audio && !pageAudioAvailable()) {
        std::fprintf(stderr, "afterglow: the browser gives the page no audio; the music clock runs silently\n");
        music.mode = ClockMode::Steady;
    }
    music.letGo = false;
    music.heard = false;
    music.paused = false;
    firstNoteTold = false;
    music.lastUpdateSec = wallSeconds();
    const double startMs = clampSeek(config.startMs);
    moveTo(startMs);
    // A start position acts like a seek made before the first frame.
    placeClock(static_cast<float>(startMs));
    return 1;
}

void updateMusicClock() {
    const double readMs = emscripten_get_now();
    const float now = static_cast<float>(currentPositionMs());
    advanceClock(now, clockmath::clampFrameDelta(now, musicTimeMs));
    if (clockLogOn) pageLogClock(readMs, musicTimeMs, lastRead.contextSec, lastRead.audioMs, frameDeltaMs);
}

void refreshSpectrum() {
    const long long endFrame =
        music.sampleRate ? static_cast<long long>(musicTimeMs * static_cast<double>(music.sampleRate) / 1000.0) : 0;
    clockmath::computeSpectrum(music.samples, music.frames, endFrame, spectrumBins);
}

void seekMusic(float deltaMs) {
    const double target = clampSeek(static_cast<double>(musicTimeMs) + deltaMs);
    placeClock(static_cast<float>(target));
    moveTo(static_cast<double>(static_cast<long long>(target)));
}

void moveMusicTo(double ms) { moveTo(clampSeek(ms)); }

void pauseMusic(bool paused) { setHeld(paused, music.hidden); }

bool musicPaused() { return held(); }

// The page never blocks on the device, so there is nothing to leave early.
void waitForMusicToPlay(bool (*)()) {
    if (music.mode != ClockMode::Audio || music.letGo) return;
    music.letGo = true;
    music.letGoAtSec = wallSeconds();
    if (!held()) playFrom(music.playOffsetMs);
}

void stopMusic() { stopAudio(); }

long long musicFramesHanded() { return 0; }

ClockMode musicClockMode() { return music.mode; }

double musicLengthMs() {
    return music.sampleRate ? static_cast<double>(music.frames) * 1000.0 / music.sampleRate : 0.0;
}

extern "C" EMSCRIPTEN_KEEPALIVE void pageHiddenChanged(int hidden) { setHeld(music.paused, hidden != 0); }
