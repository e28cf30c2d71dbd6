#include "runtime/audio/music.h"

#include <SDL.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

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
// A sound server that does not answer (one stopped with SIGSTOP, or hung)
// holds SDL's open, and its close, for as long as it does: neither is
// waited for longer than this.
constexpr double kOpenTimeoutSec = 2.0;
constexpr double kCloseTimeoutSec = 0.5;
// Once the music has caught up with its decoder, the decoder must be this
// far ahead again (half a second) before it plays on: a few pauses rather
// than a stutter at every buffer.
constexpr long long kResumeAheadFrames = 22050;
// Playback starts once this much music past the start is decoded; the rest
// decodes behind the show, far faster than it plays.
constexpr double kDecodedAheadMs = 4000.0;

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// When the process was last continued after a stop (SIGCONT), in
// nanoseconds of wallSeconds' clock (CLOCK_MONOTONIC); set by the signal
// handler, -1 before.
std::atomic<long long> continuedAtNs{-1};

void noteContinued(int) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    continuedAtNs = now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Hears of a stop and continue (Ctrl+Z and fg), unless someone else does.
void listenForContinue() {
    struct sigaction current {};
    if (sigaction(SIGCONT, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction action {};
    action.sa_handler = noteContinued;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGCONT, &action, nullptr);
}

// Written by the audio callback, read by the frame loop, always under the
// device lock. The callback never decodes: it only copies.
struct AudioFeed {
    const float* samples = nullptr;
    long long frames = 0;
    bool more = false;           // frames past `frames` are still being decoded
    bool waiting = false;        // the last callback waited for them
    long long readFrame = 0;     // next frame the callback hands out
    long long queuedFrame = 0;   // readFrame as of the last callback (or seek)
    double queuedAtSec = 0.0;    // wall time of that callback (or seek)
    long long handed = 0;        // frames handed over in all
};

struct MusicState {
    MusicConfig config;
    DecodedMusic music;
    ClockMode mode = ClockMode::Steady;
    // While the rest decodes behind the show: what of it is decoded so far,
    // in the worker's buffer (music holds only the sample rate then).
    bool streaming = false;
    const float* streamSamples = nullptr;
    long long streamFrames = 0;

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
    long long lastHanded = 0;    // feed.handed at the last read
    double resumedAtSec = -1.0;  // after a stop of the process: stalls count from here
    bool toldWaiting = false;    // the line about the decoder said

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
    // The decoder is behind: the device plays silence and the position waits
    // where it is, so no music is skipped and the clock holds with it.
    const long long needed = feed->readFrame + (feed->waiting ? kResumeAheadFrames : frames);
    feed->waiting = feed->more && needed > feed->frames;
    if (feed->waiting) {
        std::fill(out, out + 2 * frames, 0.0f);
        feed->handed += frames;
        feed->queuedAtSec = wallSeconds();  // still taking samples: no stall
        return;
    }
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

void continueSilently() {
    if (state.device) SDL_PauseAudioDevice(state.device, 1);
    enterSteady(state.smoothedMs);
}

void fallBackToSteady(const char* why) {
    std::fprintf(stderr, "afterglow: %s; the music clock continues silently\n", why);
    continueSilently();
}

void fallBackFromHungDevice(const char* why) {
    state.hung = true;
    fallBackToSteady(why);
}

// ALSA writes several lines of its own to stderr when there is no sound
// card; the one line we print afterwards says all the user needs. The
// device is opened on a thread of its own, which may outlive the wait for
// it, so stderr goes back once, by whichever side is first.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    void end() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }

private:
    std::mutex mutex_;
    int saved_ = -1;
};

// What the thread that opens the device shares with the one waiting for it.
struct DeviceOpening {
    QuietStderr quiet;
    SDL_AudioDeviceID device = 0;
    std::string problem;  // without a device: what to say
};

enum class Waited { Finished, GaveUp, NoThread };

// Runs work on a thread of its own and waits for it at most seconds: a
// sound server that does not answer holds SDL's open and close for as long
// as it does. When the work finishes after the wait gave up, late() runs
// after it, on its thread; which of the two happened is decided under one
// lock, so the result is had by exactly one side.
Waited runWithin(double seconds, std::function<void()> work, std::function<void()> late = nullptr) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        bool gaveUp = false;
    };
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, work = std::move(work), late = std::move(late)] {
            work();
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->done = true;
            if (shared->gaveUp && late) late();
            shared->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return Waited::NoThread;
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (shared->finished.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return shared->done; }))
        return Waited::Finished;
    shared->gaveUp = true;
    return Waited::GaveUp;
}

// SDL's audio start and the device's open, as they go when they answer.
void openDevice(DeviceOpening& opening, int sampleRate) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        opening.problem = std::string("no audio (") + SDL_GetError() + "); the music clock runs silently";
        return;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0)) {
        // These drivers sleep whole milliseconds per buffer and drift by
        // several percent: no use as a clock.
        opening.problem = std::string("audio driver '") + driver + "' keeps no time; the music clock runs silently";
        return;
    }
    SDL_AudioSpec want{};
    want.freq = sampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = audioCallback;
    want.userdata = &state.feed;
    SDL_AudioSpec have{};
    opening.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (opening.device == 0)
        opening.problem = std::string("no audio device (") + SDL_GetError() + "); the music clock runs silently";
}

bool openAudioDevice() {
    auto opening = std::make_shared<DeviceOpening>();
    const auto open = [opening, rate = state.music.sampleRate] {
        openDevice(*opening, rate);
        opening->quiet.end();
    };
    // A device that opens once the wait is over is closed again.
    const Waited waited = runWithin(kOpenTimeoutSec, open, [opening] {
        if (opening->device) SDL_CloseAudioDevice(opening->device);
    });
    if (waited == Waited::NoThread) open();  // no thread to be had: wait as long as it takes
    opening->quiet.end();
    if (waited == Waited::GaveUp) {
        std::fprintf(stderr,
                     "afterglow: the sound server did not answer within %.0f s; the music clock runs silently\n",
                     kOpenTimeoutSec);
        return false;
    }
    if (!opening->device) std::fprintf(stderr, "afterglow: %s\n", opening->problem.c_str());
    state.device = opening->device;
    return state.device != 0;
}

// Closes the device, unless its server does not answer: SDL's close then
// waits for its audio thread, which waits for the server. Without a thread
// to close it on, it is left open: the process's exit ends it.
void closeAudioDevice(SDL_AudioDeviceID device) {
    runWithin(kCloseTimeoutSec, [device] { SDL_CloseAudioDevice(device); });
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
    if (deviceStarting(feed, now) || state.mode != ClockMode::Audio) {
        state.lastHanded = feed.handed;
        return state.smoothedMs;
    }

    const double previousSec = state.lastUpdateSec;
    const double stepMs = (now - previousSec) * 1000.0;
    state.lastUpdateSec = now;
    // SDL keeps calling back at about the right pace when the device is
    // gone (a sound server killed), so only its status tells.
    if (SDL_GetAudioDeviceStatus(state.device) == SDL_AUDIO_STOPPED) {
        fallBackToSteady("lost the sound device");
        return state.smoothedMs;
    }
    const double target = clockmath::audioTargetMs(feed.queuedFrame, now - feed.queuedAtSec, state.music.sampleRate,
                                                   kBufferFrames, kLatencyFrames);
    // Stopped and continued: the music stopped with the picture, so the
    // picture goes on from where the music is, not by the time it stood.
    const double handedMs = static_cast<double>(feed.handed - state.lastHanded) * 1000.0 / state.music.sampleRate;
    state.lastHanded = feed.handed;
    const double continuedAtSec = static_cast<double>(continuedAtNs.load()) / 1e9;
    const bool continued = continuedAtSec > previousSec && continuedAtSec <= now;
    const bool calledBack = feed.queuedAtSec > previousSec;
    if (const double stopped = clockmath::stoppedStepMs(stepMs, handedMs, continued, calledBack); stopped > 0.0) {
        // Up to SIGCONT where it came: what the device took once going again
        // is no part of the stop.
        const double pausedSec = continued ? continuedAtSec - previousSec : stopped / 1000.0;
        std::fprintf(stderr,
                     "afterglow: the show was paused for %.1f s (the program was held up); it goes on "
                     "from where the music is\n",
                     pausedSec);
        state.resumedAtSec = now;
        state.lastTargetMs = target;
        state.smoothedMs = std::max(state.smoothedMs, target);
        return state.smoothedMs;
    }
    if (now - std::max(feed.queuedAtSec, state.resumedAtSec) > kStallSec) {
        fallBackFromHungDevice("the sound device stopped taking samples");
        return state.smoothedMs;
    }
    // Waiting for the decoder: the device plays silence and the music holds
    // where it is, and so does the clock.
    if (feed.waiting) {
        if (!state.toldWaiting)
            std::fprintf(stderr,
                         "afterglow: the music waits for its decoder, which runs slower than the music "
                         "plays; the picture holds meanwhile\n");
        state.toldWaiting = true;
        state.lastTargetMs = target;
        return state.smoothedMs;
    }
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

const float* samplesNow() {
    if (state.streaming) return state.streamSamples;
    return state.music.samples.empty() ? nullptr : state.music.samples.data();
}

long long framesNow() { return state.streaming ? state.streamFrames : state.music.frames(); }

void reportDecodeProblems() {
    if (!state.music.error.empty())
        std::fprintf(stderr, "afterglow: cannot play \"%s\": %s; the presentation runs silently\n",
                     state.config.path.c_str(), state.music.error.c_str());
    if (!state.music.warning.empty()) reportFileProblem(state.config.path, state.music.warning);
}

// While the rest decodes behind the show: the device and the spectrum get
// what is decoded so far, and the whole once it is done (in the same place:
// the buffer does not move, or the decode copied it and kept the old one
// for the readers until now).
void followDecode() {
    if (!state.streaming) return;
    const MusicSoFar so = musicSoFar();
    if (state.device) SDL_LockAudioDevice(state.device);
    if (so.complete) {
        state.music = takeDecodedMusic(state.config.path);
        state.streaming = false;
    } else {
        state.streamFrames = so.frames;
    }
    state.feed.samples = samplesNow();
    state.feed.frames = framesNow();
    state.feed.more = state.streaming;
    if (state.device) SDL_UnlockAudioDevice(state.device);
    if (state.streaming) return;
    releaseMusicSoFar();
    reportDecodeProblems();
    // The rest of the decode failed (out of memory, say): what was said is
    // all, and the show goes on silently.
    if (!state.music.error.empty() && state.mode == ClockMode::Audio) continueSilently();
}

}  // namespace

int startMusic(const MusicConfig& config) {
    state.config = config;
    spectrumBins = spectrumStorage;
    std::fill(std::begin(spectrumStorage), std::end(spectrumStorage), 0.0f);  // a fresh start hears nothing yet

    // Playback needs only the first seconds past the start; an offline run
    // reads anywhere from its first frame on, and takes the whole.
    state.streaming = false;
    if (config.mode != ClockMode::Offline && musicDecoding(config.path)) {
        const MusicSoFar first = waitForMusic(std::max(config.startMs, 0.0) + kDecodedAheadMs);
        if (!first.complete && first.samples) {
            state.music = DecodedMusic{};
            state.music.sampleRate = first.sampleRate;
            state.streaming = true;
            state.streamSamples = first.samples;
            state.streamFrames = first.frames;
        }
    }
    if (!state.streaming) {
        state.music = takeDecodedMusic(config.path);
        reportDecodeProblems();
    }

    const double startMs = clampSeek(config.startMs);
    state.config.startMs = startMs;
    state.mode = config.mode;
    if (state.mode == ClockMode::Audio && (framesNow() == 0 || !openAudioDevice())) state.mode = ClockMode::Steady;

    if (state.mode == ClockMode::Audio) {
        state.feed.samples = samplesNow();
        state.feed.frames = framesNow();
        state.feed.more = state.streaming;
        moveTo(startMs);
        // The device stays paused until the first frame is drawn
        // (waitForMusicToPlay): the first note then comes with it.
        state.starting = true;
        listenForContinue();
    } else if (state.mode == ClockMode::Steady) {
        enterSteady(startMs);
    }
    // A start position acts like a seek made before the first frame, so the
    // first frame's delta stays small.
    placeClock(static_cast<float>(startMs));
    return 1;
}

void updateMusicClock() {
    followDecode();
    const float now = static_cast<float>(currentPositionMs());
    advanceClock(now, clockmath::clampFrameDelta(now, musicTimeMs));
}

void refreshSpectrum() {
    const long long endFrame =
        state.music.sampleRate ? static_cast<long long>(musicTimeMs * static_cast<double>(state.music.sampleRate) / 1000.0) : 0;
    clockmath::computeSpectrum(samplesNow(), framesNow(), endFrame, spectrumBins);
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

void waitForMusicToPlay(bool (*leaving)()) {
    if (state.mode != ClockMode::Audio || !state.starting) return;
    if (state.unpausedAtSec < 0.0) {
        state.unpausedAtSec = wallSeconds();
        SDL_PauseAudioDevice(state.device, 0);
    }
    while (state.mode == ClockMode::Audio && deviceStarting(readFeed(), wallSeconds()) && !(leaving && leaving()))
        SDL_Delay(1);
}

void stopMusic() {
    if (!state.device) return;
    // From here on the audio thread plays silence and reads nothing of ours,
    // should the device be left open.
    SDL_LockAudioDevice(state.device);
    state.feed = AudioFeed{};
    SDL_UnlockAudioDevice(state.device);
    if (!state.hung) closeAudioDevice(state.device);
    state.device = 0;
}

long long musicFramesHanded() { return state.mode == ClockMode::Audio ? readFeed().handed : 0; }

ClockMode musicClockMode() { return state.mode; }

double musicLengthMs() { return state.music.lengthMs(); }
