#include "runtime/audio/music.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "assets/data_file.h"
#include "runtime/timeline/clock_math.h"
#include "runtime/audio/mp3_decode.h"
#include "runtime/audio/music_preload.h"
#include "runtime/timeline/timeline.h"

namespace {

constexpr int kBufferFrames = 1024;
// What a callback hands over is heard about two buffers later: the device
// still plays the one before while it takes the new one. Measured against a
// PulseAudio sink (tools/clock-probe): 1.9 buffers from a callback to the
// first of its samples playing.
constexpr int kLatencyFrames = 2 * kBufferFrames;
// A device takes its first buffer and then may wait a while before it plays
// it: PulseAudio through SDL takes up to a second and more. It plays once
// it asks for the next (a device that takes two at once is then a buffer
// early at most). The first picture is shown then, with the first note
// (the loading bar stays up meanwhile); a device that has not started
// within kStartTimeoutSec is left for the steady clock.
constexpr long long kPlayingFrames = kBufferFrames;
constexpr double kStartTimeoutSec = 2.0;
// No callback for this long while playing: the device has stopped (a sound
// server that hangs). The clock slows down meanwhile, but keeps moving.
constexpr double kStallSec = 0.5;

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Written by the audio callback, read by the frame loop, always under the
// device lock. The callback never decodes: it only copies.
struct AudioFeed {
    const float* samples = nullptr;
    long long frames = 0;
    long long readFrame = 0;     // next frame the callback hands out
    long long queuedFrame = 0;   // readFrame as of the last callback (or seek)
    double queuedAtSec = 0.0;    // wall time of that callback (or seek)
    long long handed = 0;        // frames handed over in all
};

struct MusicState {
    MusicConfig config;
    DecodedMusic music;
    ClockMode mode = ClockMode::Steady;

    // audio
    SDL_AudioDeviceID device = 0;
    AudioFeed feed;
    double smoothedMs = 0.0;
    double lastUpdateSec = 0.0;
    double lastTargetMs = 0.0;
    bool starting = false;  // opened, not playing yet: the clock holds its start
    double unpausedAtSec = -1.0;  // when the device was let go; < 0 not yet
    bool synced = false;  // a read has set the clock from the device's progress
    // The device stopped answering: closing it would wait for it forever.
    bool hung = false;

    // steady: position = steadyBaseMs + (now - steadyBaseSec)
    double steadyBaseMs = 0.0;
    double steadyBaseSec = 0.0;

    // paused: every read gives heldMs
    bool paused = false;
    double heldMs = 0.0;
};

MusicState state;
float spectrumStorage[kSpectrumSize];

void audioCallback(void* userdata, Uint8* stream, int len) {
    auto* feed = static_cast<AudioFeed*>(userdata);
    auto* out = reinterpret_cast<float*>(stream);
    const int frames = len / static_cast<int>(2 * sizeof(float));
    for (int i = 0; i < frames; ++i) {
        const long long f = feed->readFrame + i;
        const bool inside = f >= 0 && f < feed->frames;
        out[2 * i] = inside ? feed->samples[2 * f] : 0.0f;
        out[2 * i + 1] = inside ? feed->samples[2 * f + 1] : 0.0f;
    }
    // Past the end the device plays silence and time keeps going, so the
    // presentation still reaches its end with a short track.
    feed->readFrame += frames;
    feed->handed += frames;
    feed->queuedFrame = feed->readFrame;
    feed->queuedAtSec = wallSeconds();
}

// Seeks stay inside the music, but never short of the end of the
// presentation: with a short or missing file the clock runs on in silence.
double clampSeek(double ms) {
    return clockmath::clampSeekMs(ms, std::max(musicLengthMs(), static_cast<double>(kPresentationEndMs)));
}

void enterSteady(double positionMs) {
    state.mode = ClockMode::Steady;
    state.steadyBaseMs = positionMs;
    state.steadyBaseSec = wallSeconds();
}

void fallBackToSteady(const char* why) {
    std::fprintf(stderr, "afterglow: %s; the music clock continues silently\n", why);
    if (state.device) SDL_PauseAudioDevice(state.device, 1);
    enterSteady(state.smoothedMs);
}

void fallBackFromHungDevice(const char* why) {
    state.hung = true;
    fallBackToSteady(why);
}

// ALSA writes several lines of its own to stderr when there is no sound
// card; the one line we print afterwards says all the user needs.
template <typename Fn>
auto withStderrQuiet(Fn fn) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    auto result = fn();
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (null >= 0) close(null);
    return result;
}

bool openAudioDevice() {
    if (withStderrQuiet([] { return SDL_InitSubSystem(SDL_INIT_AUDIO); }) != 0) {
        std::fprintf(stderr, "afterglow: no audio (%s); the music clock runs silently\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0)) {
        // These drivers sleep whole milliseconds per buffer and drift by
        // several percent: no use as a clock.
        std::fprintf(stderr, "afterglow: audio driver '%s' keeps no time; the music clock runs silently\n", driver);
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = state.music.sampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = audioCallback;
    want.userdata = &state.feed;
    SDL_AudioSpec have{};
    state.device = withStderrQuiet([&] { return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0); });
    if (state.device == 0) {
        std::fprintf(stderr, "afterglow: no audio device (%s); the music clock runs silently\n", SDL_GetError());
        return false;
    }
    return true;
}

double steadyPositionMs() { return state.steadyBaseMs + (wallSeconds() - state.steadyBaseSec) * 1000.0; }

void moveTo(double ms) {
    if (state.paused) {
        state.heldMs = ms;
        return;
    }
    switch (state.mode) {
    case ClockMode::Offline:
        break;  // the caller's clock
    case ClockMode::Steady:
        enterSteady(ms);
        break;
    case ClockMode::Audio: {
        const long long frame = static_cast<long long>(ms * state.music.sampleRate / 1000.0);
        const double now = wallSeconds();
        SDL_LockAudioDevice(state.device);
        state.feed.readFrame = frame;
        state.feed.queuedFrame = frame + kLatencyFrames;
        state.feed.queuedAtSec = now;
        SDL_UnlockAudioDevice(state.device);
        state.smoothedMs = ms;
        state.lastTargetMs = ms;
        state.lastUpdateSec = now;
        break;
    }
    }
}

AudioFeed readFeed() {
    SDL_LockAudioDevice(state.device);
    const AudioFeed feed = state.feed;
    SDL_UnlockAudioDevice(state.device);
    return feed;
}

// Whether the device is still about to play: not let go yet, or it has not
// asked for more than its first buffer, and is neither lost nor given up
// (those fall back to the steady clock, from the start).
bool deviceStarting(const AudioFeed& feed, double now) {
    if (!state.starting) return false;
    if (state.unpausedAtSec < 0.0) return true;
    state.starting = false;
    if (SDL_GetAudioDeviceStatus(state.device) == SDL_AUDIO_STOPPED) {
        fallBackToSteady("lost the sound device");
    } else if (feed.handed > kPlayingFrames) {
        // The clock starts now: the wait counts neither as a step nor as a stall.
        state.lastUpdateSec = now;
    } else if (now - state.unpausedAtSec > kStartTimeoutSec) {
        fallBackFromHungDevice("the sound device opened but never started playing");
    } else {
        state.starting = true;
    }
    return state.starting;
}

double audioPositionMs() {
    const double now = wallSeconds();
    const AudioFeed feed = readFeed();
    if (deviceStarting(feed, now) || state.mode != ClockMode::Audio) return state.smoothedMs;

    const double stepMs = (now - state.lastUpdateSec) * 1000.0;
    state.lastUpdateSec = now;
    // SDL keeps calling back at about the right pace when the device is
    // gone (a sound server killed), so only its status tells.
    if (SDL_GetAudioDeviceStatus(state.device) == SDL_AUDIO_STOPPED) {
        fallBackToSteady("lost the sound device");
        return state.smoothedMs;
    }
    if (now - feed.queuedAtSec > kStallSec) {
        fallBackFromHungDevice("the sound device stopped taking samples");
        return state.smoothedMs;
    }
    const double target = clockmath::audioTargetMs(feed.queuedFrame, now - feed.queuedAtSec,
                                                   state.music.sampleRate, kBufferFrames, kLatencyFrames);
    if (clockmath::audioRaced(state.lastTargetMs, target, stepMs)) {
        fallBackToSteady("the audio device plays faster than real time");
        return state.smoothedMs;
    }
    state.lastTargetMs = target;
    // The first read: from the start straight to the device's position, not
    // by a step of the wall clock since the device opened.
    state.smoothedMs = state.synced ? clockmath::smoothPosition(state.smoothedMs, target, stepMs)
                                    : std::max(state.smoothedMs, target);
    state.synced = true;
    return state.smoothedMs;
}

double currentPositionMs() {
    if (state.paused) return state.heldMs;
    switch (state.mode) {
    case ClockMode::Offline:
        return musicTimeMs;  // moved by the caller, never read here
    case ClockMode::Audio: {
        const double pos = audioPositionMs();
        // The fallback may just have switched us over; read the new source.
        return state.mode == ClockMode::Steady ? steadyPositionMs() : pos;
    }
    case ClockMode::Steady:
        break;
    }
    return steadyPositionMs();
}

}  // namespace

int startMusic(const MusicConfig& config) {
    state.config = config;
    spectrumBins = spectrumStorage;

    state.music = takeDecodedMusic(config.path);
    if (!state.music.error.empty())
        std::fprintf(stderr, "afterglow: cannot play \"%s\": %s; the presentation runs silently\n",
                     config.path.c_str(), state.music.error.c_str());
    if (!state.music.warning.empty()) reportFileProblem(config.path, state.music.warning);

    const double startMs = clampSeek(config.startMs);
    state.config.startMs = startMs;
    state.mode = config.mode;
    if (state.mode == ClockMode::Audio && (state.music.samples.empty() || !openAudioDevice()))
        state.mode = ClockMode::Steady;

    if (state.mode == ClockMode::Audio) {
        state.feed.samples = state.music.samples.data();
        state.feed.frames = state.music.frames();
        moveTo(startMs);
        // The device stays paused until the first frame is drawn
        // (waitForMusicToPlay): the first note then comes with it.
        state.starting = true;
    } else if (state.mode == ClockMode::Steady) {
        enterSteady(startMs);
    }
    // A start position acts like a seek made before the first frame, so the
    // first frame's delta stays small.
    placeClock(static_cast<float>(startMs));
    return 1;
}

void updateMusicClock() {
    const float now = static_cast<float>(currentPositionMs());
    advanceClock(now, clockmath::clampFrameDelta(now, musicTimeMs));
}

void refreshSpectrum() {
    const long long endFrame =
        state.music.sampleRate ? static_cast<long long>(musicTimeMs * static_cast<double>(state.music.sampleRate) / 1000.0) : 0;
    clockmath::computeSpectrum(state.music.samples.empty() ? nullptr : state.music.samples.data(),
                               state.music.frames(), endFrame, spectrumBins);
}

void seekMusic(float deltaMs) {
    const double target = clampSeek(static_cast<double>(musicTimeMs) + deltaMs);
    placeClock(static_cast<float>(target));
    moveTo(static_cast<double>(static_cast<long long>(target)));
}

void moveMusicTo(double ms) { moveTo(clampSeek(ms)); }

void pauseMusic(bool paused) {
    if (paused == state.paused || state.mode == ClockMode::Offline) return;
    if (paused) {
        state.heldMs = musicTimeMs;
        state.paused = true;
        if (state.device) SDL_PauseAudioDevice(state.device, 1);
    } else {
        // The device's bookkeeping starts afresh from the held position, so
        // the pause counts neither as a stall nor as a race.
        state.paused = false;
        moveTo(state.heldMs);
        if (state.device && state.mode == ClockMode::Audio) SDL_PauseAudioDevice(state.device, 0);
    }
}

bool musicPaused() { return state.paused; }

void waitForMusicToPlay() {
    if (state.mode != ClockMode::Audio || !state.starting) return;
    if (state.unpausedAtSec < 0.0) {
        state.unpausedAtSec = wallSeconds();
        SDL_PauseAudioDevice(state.device, 0);
    }
    while (state.mode == ClockMode::Audio && deviceStarting(readFeed(), wallSeconds())) SDL_Delay(1);
}

void stopMusic() {
    if (state.device && !state.hung) SDL_CloseAudioDevice(state.device);
    state.device = 0;
}

long long musicFramesHanded() { return state.mode == ClockMode::Audio ? readFeed().handed : 0; }

ClockMode musicClockMode() { return state.mode; }

double musicLengthMs() { return state.music.lengthMs(); }
