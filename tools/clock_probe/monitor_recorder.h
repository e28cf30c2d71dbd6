// Records what a sound server plays, from its sink's monitor, with the time
// each sample was played on CLOCK_MONOTONIC: the ear of the clock tests.
//
//   MonitorRecorder recorder;
//   recorder.start(server.address(), SoundServer::kMonitor);
//   ... the program plays ...
//   Recording heard = recorder.finish();
//
// Every 50 ms or so the recorder asks the server where the stream stands:
// which sample the sink was playing at what time, with the latencies of the
// source and of the sink accounted for as PulseAudio does for its own
// clients. Those reports map every recorded sample to the CLOCK_MONOTONIC
// time it was played, to a millisecond or better (the time a block merely
// arrives runs some 5 ms ahead of it: the monitor sees the samples as the
// sink renders them, before it plays them). The samples are kept as the
// left channel only.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The server's account of the stream: the sample at index (of
// Recording::samples) was being played at ns.
struct PlayedAt {
    double index;
    int64_t ns;
};

struct Recording {
    int rate = 44100;
    std::vector<float> samples;
    std::vector<PlayedAt> played;
    std::string problem;  // why the recording stopped early, or ""
};

class MonitorRecorder {
public:
    MonitorRecorder();
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Connects and starts recording; false with the reason.
    bool start(const std::string& serverAddress, const std::string& source, std::string& error);
    // Stops and hands over what was recorded. A server that went away ends
    // the recording there; what came before is kept.
    Recording finish();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// CLOCK_MONOTONIC in nanoseconds, the clock the program's clock log uses.
int64_t monotonicNowNs();
