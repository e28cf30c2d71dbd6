// clock-bench: how smoothly the music clock advances.
//
//   clock-bench [--frames N] [--start MS]
//
// Runs the steady (silent) clock for N frames at about 60 fps and prints the
// jitter of the clock against wall time: for each frame, the clock's step
// minus the wall time between the two frames, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "runtime/audio/music.h"

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 600;
    double startMs = 0.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--frames") == 0) frames = std::max(2, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--start") == 0) startMs = std::atof(argv[i + 1]);
    }
    MusicConfig config;
    config.path = "";  // no file: the steady clock alone
    config.mode = ClockMode::Steady;
    config.startMs = startMs;
    std::fprintf(stderr, "clock-bench: %d frames from %.0f ms (the missing-file line below is expected)\n", frames, startMs);
    startMusic(config);

    std::vector<double> errors;
    updateMusicClock();
    double lastWall = nowMs();
    float lastPos = musicTimeMs;
    for (int i = 0; i < frames; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(16667));
        updateMusicClock();
        const double wall = nowMs();
        errors.push_back(static_cast<double>(musicTimeMs - lastPos) - (wall - lastWall));
        lastWall = wall;
        lastPos = musicTimeMs;
    }
    double sum = 0.0, sumSq = 0.0, worst = 0.0;
    for (double e : errors) {
        sum += e;
        sumSq += e * e;
        worst = std::max(worst, std::fabs(e));
    }
    const double mean = sum / errors.size();
    const double sd = std::sqrt(std::max(0.0, sumSq / errors.size() - mean * mean));
    // Percentiles too: a preempted thread between the clock's read and ours
    // shows as a single spike that says nothing about the clock.
    std::vector<double> magnitudes;
    for (double e : errors) magnitudes.push_back(std::fabs(e));
    std::sort(magnitudes.begin(), magnitudes.end());
    auto percentile = [&](double p) { return magnitudes[static_cast<size_t>(p * (magnitudes.size() - 1))]; };
    std::printf("steady clock jitter over %zu frames at %.0f ms: mean %.4f ms, std dev %.4f ms, "
                "|step - wall| median %.4f ms, p99 %.4f ms, max %.4f ms\n",
                errors.size(), startMs, mean, sd, percentile(0.5), percentile(0.99), worst);
    return 0;
}
