// The clock against the sound: the program's clock log (--clock-log) set
// beside what was audible when (audible.h), as the figures a viewer with
// speakers cares about.
//
//   std::vector<ClockLogLine> log = readClockLog("clock.tsv", error);
//   ClockFigures f = measureClock(log, heard);
//   std::fputs(formatClockFigures(f).c_str(), stdout);
//
// A frame's error is its musicTimeMs less the music audible when it read the
// clock: positive when the picture runs ahead of the sound.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clock_probe/audible.h"

struct ClockLogLine {
    int64_t readNs = 0;
    double musicMs = 0.0;
    double deltaMs = 0.0;
    long long audioFrames = 0;
    int64_t shownNs = 0;
};

// The log's lines; empty with the reason when it cannot be read.
std::vector<ClockLogLine> readClockLog(const std::string& path, std::string& error);

// The program's clock at any moment, from the log: the line before,
// advanced by the wall time since (before the first line, the first line's
// time less the wall time to it): where a search for the audible music
// starts.
std::optional<double> clockHintAt(const std::vector<ClockLogLine>& log, int64_t ns);

// A change the clock makes on purpose: a seek, a restart, a pause or its end.
struct ClockEvent {
    int64_t ns;        // when the frame that shows it read the clock
    double fromMs;     // the clock before
    double toMs;       // and after
    // The largest error in 0.2 s to 1 s after it, frames with music audible
    // only; none when no such frame.
    std::optional<double> worstAfterMs;
    // Within the first second of sound: the device starting, not a change
    // the viewer made.
    bool atStart = false;
};

struct SceneLag {
    int frames = 0;
    double meanMs = 0.0;  // swap done less clock read
    double worstMs = 0.0;
};

struct ClockFigures {
    int frames = 0;
    // When music sample 0 of the first span was played (or the first match,
    // for a run from later), and when the first frame was swapped.
    std::optional<int64_t> firstAudibleNs;
    int64_t firstShownNs = 0;
    double firstNoteLagMs = 0.0;  // first frame swapped less first audible music
    // The clock's own error after the first audible second, away from events.
    int measured = 0;
    double meanErrorMs = 0.0;
    double worstErrorMs = 0.0;  // largest in size, with its sign
    double p99ErrorMs = 0.0;    // the size 99 % of them stay within
    double driftMsPerMinute = 0.0;
    // Frames after which the clock advanced less than half the wall time with
    // music audible throughout, and the smallest such ratio seen.
    int standStills = 0;
    double leastAdvance = 1.0;
    // Frames more than 30 ms ahead of the audible music away from events.
    int aheadFrames = 0;
    double mostAheadMs = 0.0;
    std::vector<ClockEvent> events;
    std::vector<SceneLag> sceneLag;  // per scene index
};

// locateMusic with the log's clock as the hint.
AudibleMusic locateMusicBeside(const std::vector<ClockLogLine>& log, const Recording& recording,
                               const std::vector<float>& music);

ClockFigures measureClock(const std::vector<ClockLogLine>& log, const AudibleMusic& heard);
// The figures as a report: a few lines, then the display lag per scene.
std::string formatClockFigures(const ClockFigures& figures);

constexpr double kAheadLimitMs = 30.0;
constexpr double kSettleSec = 0.2;  // how long an event may take to agree again
