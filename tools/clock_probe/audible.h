// What was audible when: a recording of the sound server's monitor (with its
// CLOCK_MONOTONIC stamps) matched against the decoded music, so that any
// moment of a run maps to the millisecond of music a listener heard then.
//
//   const AudibleMusic heard = locateMusic(recording, leftChannel, hint);
//   std::optional<double> ms = heard.musicMsAt(frameReadNs);
//
// The recording is the music itself, sample for sample (the null sink only
// rounds it), so where it plays continuously it is the music shifted by a
// whole number of samples: the match is exact, and a seek, a pause or a
// restart shows as a new shift. Stretches of silence match nothing and map
// to no music.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "clock_probe/monitor_recorder.h"

// Where the recording runs continuously with the music: recording samples
// [from, to) are music samples [from + shift, to + shift).
struct MatchedSpan {
    int64_t from;
    int64_t to;
    int64_t shift;
};

class AudibleMusic {
public:
    AudibleMusic(const Recording& recording, std::vector<MatchedSpan> spans);

    // The music (in ms) being played at CLOCK_MONOTONIC time ns; none where
    // the recording is silent, does not reach, or matched nothing.
    std::optional<double> musicMsAt(int64_t ns) const;
    // When the sample at recording index was played, and the other way.
    double timeNsOf(double index) const;
    double indexAt(int64_t ns) const;
    // When music sample frame was played, in the first span that holds it.
    std::optional<double> timeNsOfMusic(double musicFrame) const;

    const std::vector<MatchedSpan>& spans() const { return spans_; }
    int rate() const { return rate_; }

private:
    // Where recording sample 0 would have been played, from the server's
    // reports around index: between two reports it moves only as slowly as
    // the sink's clock drifts from ours.
    double originNs(double index) const;

    int rate_;
    std::vector<PlayedAt> played_;
    std::vector<MatchedSpan> spans_;
};

// Music ms the program believed was playing at recording index: where a
// search begins when the match is lost (after a seek). May return nothing.
using MusicHint = std::function<std::optional<double>(int64_t ns)>;

// Matches the recording against the music (its left channel, at the same
// rate) in windows of 10 ms.
AudibleMusic locateMusic(const Recording& recording, const std::vector<float>& music, const MusicHint& hint);
