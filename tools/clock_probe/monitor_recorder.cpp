#include "clock_probe/monitor_recorder.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <time.h>

#include <chrono>
#include <cstring>

#include "clock_probe/sound_server.h"

int64_t monotonicNowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Touched by the mainloop's thread in its callbacks, and by the owner only
// under the mainloop's lock.
struct MonitorRecorder::State {
    int64_t lastAskedNs = 0;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_stream* silence = nullptr;
    std::string source;
    Recording recording;
};

namespace {

constexpr int kChannels = 2;
constexpr int64_t kAskEveryNs = 50000000;

void onStreamState(pa_stream* stream, void* data) {
    auto* state = static_cast<MonitorRecorder::State*>(data);
    const pa_stream_state_t now = pa_stream_get_state(stream);
    if (now == PA_STREAM_FAILED && state->recording.problem.empty())
        state->recording.problem = std::string("the recording stream failed: ") +
                                   pa_strerror(pa_context_errno(state->context));
    pa_threaded_mainloop_signal(state->loop, 0);
}

// Takes whatever is readable, and asks the server where the stream stands
// when it was not asked for a while.
void onReadable(pa_stream* stream, size_t, void* data) {
    auto* state = static_cast<MonitorRecorder::State*>(data);
    Recording& r = state->recording;
    while (pa_stream_readable_size(stream) > 0) {
        const void* bytes = nullptr;
        size_t length = 0;
        if (pa_stream_peek(stream, &bytes, &length) < 0 || length == 0) break;
        const size_t frames = length / (kChannels * sizeof(float));
        const auto* samples = static_cast<const float*>(bytes);
        // A hole (no data) still took time: silence keeps the count right.
        for (size_t i = 0; i < frames; ++i) r.samples.push_back(samples ? samples[kChannels * i] : 0.0f);
        pa_stream_drop(stream);
    }
    const int64_t now = monotonicNowNs();
    if (now - state->lastAskedNs < kAskEveryNs) return;
    state->lastAskedNs = now;
    if (pa_operation* asked = pa_stream_update_timing_info(stream, nullptr, nullptr)) pa_operation_unref(asked);
}

// The server measured its queue's write index at timestamp (its system
// clock, which is ours); the source still held source_usec of samples
// beyond it, and a monitor's samples reach the sink's output sink_usec
// after they pass the monitor. So at timestamp the sample being played
// was the one at write index + source_usec - sink_usec.
void onTimingUpdated(pa_stream* stream, void* data) {
    auto* state = static_cast<MonitorRecorder::State*>(data);
    const pa_timing_info* info = pa_stream_get_timing_info(stream);
    if (!info || info->read_index_corrupt || !info->synchronized_clocks) return;
    timespec real{}, mono{};
    clock_gettime(CLOCK_REALTIME, &real);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    const int64_t realToMono = (static_cast<int64_t>(mono.tv_sec) - real.tv_sec) * 1000000000 +
                               (mono.tv_nsec - real.tv_nsec);
    const int64_t stampNs = static_cast<int64_t>(info->timestamp.tv_sec) * 1000000000 +
                            static_cast<int64_t>(info->timestamp.tv_usec) * 1000 + realToMono;
    const double rate = state->recording.rate;
    const double index = static_cast<double>(info->write_index) / (kChannels * sizeof(float)) +
                         (static_cast<double>(info->source_usec) - static_cast<double>(info->sink_usec)) * rate / 1e6;
    state->recording.played.push_back({index, stampNs});
}

void writeSilence(pa_stream* stream, size_t bytes, void*) {
    void* buffer = nullptr;
    if (pa_stream_begin_write(stream, &buffer, &bytes) < 0 || !buffer) return;
    std::memset(buffer, 0, bytes);
    pa_stream_write(stream, buffer, bytes, nullptr, 0, PA_SEEK_RELATIVE);
}

// A null sink idles between its renders for as long as its streams allow,
// up to seconds: a stream that arrives meanwhile waits for the next one,
// which a sound card's interrupts never make it do. A stream of silence
// asking for 10 ms keeps the sink rendering like a card from the start.
void keepSinkRunning(MonitorRecorder::State& state, pa_context* context, const pa_sample_spec& format) {
    state.silence = pa_stream_new(context, "clock-probe pace", &format, nullptr);
    pa_stream_set_write_callback(state.silence, writeSilence, nullptr);
    pa_buffer_attr attr{};
    attr.maxlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(10000, &format));
    pa_stream_connect_playback(state.silence, SoundServer::kSink, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
}

void onContextState(pa_context* context, void* data) {
    auto* state = static_cast<MonitorRecorder::State*>(data);
    if (pa_context_get_state(context) == PA_CONTEXT_READY && !state->stream) {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, static_cast<uint32_t>(state->recording.rate), kChannels};
        keepSinkRunning(*state, context, format);
        state->stream = pa_stream_new(context, "clock-probe monitor", &format, nullptr);
        pa_stream_set_state_callback(state->stream, onStreamState, state);
        pa_stream_set_read_callback(state->stream, onReadable, state);
        pa_stream_set_latency_update_callback(state->stream, onTimingUpdated, state);
        // Small fragments: each block's stamp is then close to its samples.
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(5000, &format));
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
        pa_stream_connect_record(state->stream, state->source.c_str(), &attr, flags);
    }
    pa_threaded_mainloop_signal(state->loop, 0);
}

}  // namespace

MonitorRecorder::MonitorRecorder() : state_(std::make_unique<State>()) {}

MonitorRecorder::~MonitorRecorder() { finish(); }

bool MonitorRecorder::start(const std::string& serverAddress, const std::string& source, std::string& error) {
    State& s = *state_;
    s.source = source;
    s.recording.samples.reserve(static_cast<size_t>(s.recording.rate) * 300);
    s.loop = pa_threaded_mainloop_new();
    s.context = pa_context_new(pa_threaded_mainloop_get_api(s.loop), "clock-probe");
    pa_context_set_state_callback(s.context, onContextState, &s);
    pa_threaded_mainloop_lock(s.loop);
    bool ok = pa_context_connect(s.context, serverAddress.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
              pa_threaded_mainloop_start(s.loop) >= 0;
    // Until the stream records, or the connection fails.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ok && std::chrono::steady_clock::now() < deadline) {
        const pa_context_state_t c = pa_context_get_state(s.context);
        if (c == PA_CONTEXT_FAILED || c == PA_CONTEXT_TERMINATED) ok = false;
        if (s.stream && pa_stream_get_state(s.stream) == PA_STREAM_READY) break;
        if (s.stream && pa_stream_get_state(s.stream) == PA_STREAM_FAILED) ok = false;
        if (ok) pa_threaded_mainloop_wait(s.loop);
    }
    if (!(ok && s.stream && pa_stream_get_state(s.stream) == PA_STREAM_READY)) {
        error = std::string("cannot record ") + source + " from " + serverAddress + ": " +
                pa_strerror(pa_context_errno(s.context));
        ok = false;
    }
    pa_threaded_mainloop_unlock(s.loop);
    return ok;
}

Recording MonitorRecorder::finish() {
    State& s = *state_;
    if (!s.loop) return std::move(s.recording);
    pa_threaded_mainloop_lock(s.loop);
    for (pa_stream** stream : {&s.stream, &s.silence}) {
        if (!*stream) continue;
        pa_stream_disconnect(*stream);
        pa_stream_unref(*stream);
        *stream = nullptr;
    }
    pa_context_disconnect(s.context);
    pa_context_unref(s.context);
    s.context = nullptr;
    pa_threaded_mainloop_unlock(s.loop);
    pa_threaded_mainloop_stop(s.loop);
    pa_threaded_mainloop_free(s.loop);
    s.loop = nullptr;
    return std::move(s.recording);
}
