// runtime/audio/music.h in the page (page_music.h).
#include "web/page_music.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "runtime/audio/music.h"
#include "runtime/timeline/clock_math.h"
#include "runtime/timeline/timeline.h"

namespace {

struct PageMusic {
    const float* samples = nullptr;
    long long frames = 0;
    int sampleRate = 0;
    ClockMode mode = ClockMode::Steady;
    // steady: position = baseMs + (now - baseSec)
    double baseMs = 0.0;
    double baseSec = 0.0;
} music;

float spectrumStorage[kSpectrumSize];

double wallSeconds() { return emscripten_get_now() / 1000.0; }

double steadyPositionMs() { return music.baseMs + (wallSeconds() - music.baseSec) * 1000.0; }

// As natively: seeks stay inside the music, but never short of the end of
// the presentation.
double clampSeek(double ms) {
    return clockmath::clampSeekMs(ms, std::max(musicLengthMs(), static_cast<double>(kPresentationEndMs)));
}

void moveTo(double ms) {
    if (music.mode != ClockMode::Steady) return;  // offline: the replay moves the clock
    music.baseMs = ms;
    music.baseSec = wallSeconds();
}

}  // namespace

void setPageMusic(float* samples, long long frames, int sampleRate) {
    music.samples = frames > 0 ? samples : nullptr;
    music.frames = music.samples ? frames : 0;
    music.sampleRate = music.samples ? sampleRate : 0;
}

int startMusic(const MusicConfig& config) {
    spectrumBins = spectrumStorage;
    std::fill(std::begin(spectrumStorage), std::end(spectrumStorage), 0.0f);
    if (!music.samples)
        std::fprintf(stderr, "afterglow: no playable %s; the presentation runs silently\n", config.path.c_str());
    music.mode = config.mode;
    if (music.mode == ClockMode::Audio) {
        std::fprintf(stderr, "afterglow: the page plays no sound yet; the music clock runs silently\n");
        music.mode = ClockMode::Steady;
    }
    const double startMs = clampSeek(config.startMs);
    moveTo(startMs);
    placeClock(static_cast<float>(startMs));
    return 1;
}

void updateMusicClock() {
    const float now = static_cast<float>(steadyPositionMs());
    advanceClock(now, clockmath::clampFrameDelta(now, musicTimeMs));
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

// Nothing in the page pauses the clock yet.
bool musicPaused() { return false; }
void waitForMusicToPlay(bool (*)()) {}
void stopMusic() {}
long long musicFramesHanded() { return 0; }

double musicLengthMs() {
    return music.sampleRate ? static_cast<double>(music.frames) * 1000.0 / music.sampleRate : 0.0;
}
