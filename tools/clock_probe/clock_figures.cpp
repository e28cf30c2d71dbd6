#include "clock_probe/clock_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "runtime/report/report_format.h"
#include "runtime/timeline/timeline.h"

namespace {

constexpr double kNsPerMs = 1e6;
constexpr double kEventWindowSec = 1.0;  // an event's figure: its settled error up to here
constexpr double kJumpMs = 100.0;        // more than the wall time gave: a seek forward

double msBetween(int64_t from, int64_t to) { return static_cast<double>(to - from) / kNsPerMs; }

// Which frames begin an event: the clock steps back, steps forward by more
// than the wall time, holds after moving, or moves after holding.
std::vector<bool> eventFrames(const std::vector<ClockLogLine>& log) {
    std::vector<bool> event(log.size(), false);
    for (size_t i = 1; i < log.size(); ++i) {
        const double music = log[i].musicMs - log[i - 1].musicMs;
        const double wall = msBetween(log[i - 1].readNs, log[i].readNs);
        const bool held = music == 0.0;
        const bool wasHeld = i >= 2 && log[i - 1].musicMs == log[i - 2].musicMs;
        event[i] = music < 0.0 || music - wall > kJumpMs || held != wasHeld;
    }
    return event;
}

}  // namespace

std::vector<ClockLogLine> readClockLog(const std::string& path, std::string& error) {
    std::ifstream in(path);
    std::vector<ClockLogLine> log;
    if (!in) {
        error = "cannot read the clock log \"" + path + "\"";
        return log;
    }
    std::string line;
    std::getline(in, line);  // the header
    for (int number = 2; std::getline(in, line); ++number) {
        std::istringstream fields(line);
        ClockLogLine l;
        if (!(fields >> l.readNs >> l.musicMs >> l.deltaMs >> l.audioFrames >> l.shownNs)) {
            error = path + ": line " + std::to_string(number) + " is not five numbers: " + line;
            return {};
        }
        log.push_back(l);
    }
    if (log.empty()) error = path + ": no frames";
    return log;
}

std::optional<double> clockHintAt(const std::vector<ClockLogLine>& log, int64_t ns) {
    if (log.empty()) return std::nullopt;
    auto after = std::upper_bound(log.begin(), log.end(), ns,
                                  [](int64_t t, const ClockLogLine& l) { return t < l.readNs; });
    const ClockLogLine& base = after == log.begin() ? log.front() : *(after - 1);
    return std::max(0.0, base.musicMs + msBetween(base.readNs, ns));
}

AudibleMusic locateMusicBeside(const std::vector<ClockLogLine>& log, const Recording& recording,
                               const std::vector<float>& music) {
    return locateMusic(recording, music, [&log](int64_t ns) { return clockHintAt(log, ns); });
}

ClockFigures measureClock(const std::vector<ClockLogLine>& log, const AudibleMusic& heard) {
    ClockFigures f;
    f.frames = static_cast<int>(log.size());
    f.sceneLag.resize(kSceneCount);
    if (log.empty()) return f;
    f.firstShownNs = log.front().shownNs;

    // The first music played, traced back through a quiet opening to the
    // time the clock started from.
    if (!heard.spans().empty()) {
        const MatchedSpan& first = heard.spans().front();
        const double startFrame = std::max(0.0, log.front().musicMs) * heard.rate() / 1000.0;
        const double firstFrame = static_cast<double>(first.from + first.shift);
        const double back = std::max(0.0, firstFrame - startFrame);
        f.firstAudibleNs = static_cast<int64_t>(heard.timeNsOf(static_cast<double>(first.from) - back));
        f.firstNoteLagMs = msBetween(*f.firstAudibleNs, f.firstShownNs);
    }

    std::vector<std::optional<double>> error(log.size());
    for (size_t i = 0; i < log.size(); ++i)
        if (const std::optional<double> audible = heard.musicMsAt(log[i].readNs))
            error[i] = log[i].musicMs - *audible;

    const std::vector<bool> event = eventFrames(log);
    std::vector<bool> settling(log.size(), false);
    for (size_t i = 0; i < log.size(); ++i) {
        if (!event[i]) continue;
        ClockEvent e{log[i].readNs, log[i - 1].musicMs, log[i].musicMs, std::nullopt,
                     !f.firstAudibleNs || log[i].readNs < *f.firstAudibleNs + 1000000000};
        for (size_t k = i; k < log.size(); ++k) {
            const double since = msBetween(log[i].readNs, log[k].readNs) / 1000.0;
            if (since >= kEventWindowSec || (k > i && event[k])) break;
            if (since < kSettleSec) {
                settling[k] = true;
            } else if (error[k] && (!e.worstAfterMs || std::fabs(*error[k]) > std::fabs(*e.worstAfterMs))) {
                e.worstAfterMs = error[k];
            }
        }
        f.events.push_back(e);
    }

    double sum = 0.0, sumT = 0.0, sumTT = 0.0, sumTE = 0.0;
    std::vector<double> sizes;
    const int64_t measureFrom = f.firstAudibleNs ? *f.firstAudibleNs + 1000000000 : INT64_MAX;
    for (size_t i = 0; i < log.size(); ++i) {
        const ClockLogLine& l = log[i];
        if (i > 0 && !event[i] && error[i] && error[i - 1]) {
            const double advance = (l.musicMs - log[i - 1].musicMs) / msBetween(log[i - 1].readNs, l.readNs);
            // Half the wall time is allowed; the log's float times round.
            if (advance < 0.5 - 1e-3) f.standStills += 1;
            f.leastAdvance = std::min(f.leastAdvance, advance);
        }
        if (!error[i] || settling[i] || l.readNs < measureFrom) continue;
        const double e = *error[i];
        const double minutes = msBetween(measureFrom, l.readNs) / 60000.0;
        f.measured += 1;
        sizes.push_back(std::fabs(e));
        sum += e;
        sumT += minutes;
        sumTT += minutes * minutes;
        sumTE += minutes * e;
        if (std::fabs(e) > std::fabs(f.worstErrorMs)) f.worstErrorMs = e;
        if (e > kAheadLimitMs) f.aheadFrames += 1;
        f.mostAheadMs = std::max(f.mostAheadMs, e);
    }
    if (f.measured > 0) {
        std::sort(sizes.begin(), sizes.end());
        f.p99ErrorMs = sizes[static_cast<size_t>(0.99 * static_cast<double>(sizes.size() - 1))];
        const double n = f.measured;
        f.meanErrorMs = sum / n;
        const double spread = sumTT - sumT * sumT / n;
        if (spread > 0.0) f.driftMsPerMinute = (sumTE - sumT * sum / n) / spread;
    }

    for (const ClockLogLine& l : log) {
        const int scene = std::clamp(sceneIndexAt(static_cast<float>(l.musicMs)), 0, kSceneCount - 1);
        SceneLag& lag = f.sceneLag[static_cast<size_t>(scene)];
        const double ms = msBetween(l.readNs, l.shownNs);
        lag.meanMs += (ms - lag.meanMs) / ++lag.frames;
        lag.worstMs = std::max(lag.worstMs, ms);
    }
    return f;
}

std::string formatClockFigures(const ClockFigures& f) {
    std::string out = formatText("frames logged        %d\n", f.frames);
    if (f.firstAudibleNs)
        out += formatText("first note           the first frame swapped %.0f ms after the music became audible\n",
                          f.firstNoteLagMs);
    else
        out += "first note           no music was heard\n";
    out += formatText("clock error          mean %+.1f ms, worst %+.1f ms (99 %% within %.1f), drift %+.2f ms a minute "
                      "(%d frames after the first audible second)\n",
                      f.meanErrorMs, f.worstErrorMs, f.p99ErrorMs, f.driftMsPerMinute, f.measured);
    out += formatText("stand-stills         %d (least advance %.2f of the wall time)\n", f.standStills, f.leastAdvance);
    out += formatText("ahead by > %.0f ms     %d frames (most %+.1f ms)\n", kAheadLimitMs, f.aheadFrames, f.mostAheadMs);
    out += formatText("events               %zu\n", f.events.size());
    for (const ClockEvent& e : f.events) {
        out += formatText("  %9.1f -> %9.1f ms%s  ", e.fromMs, e.toMs, e.atStart ? " (the start)" : "");
        out += e.worstAfterMs ? formatText("worst error %.1f-%.1f s after: %+.1f ms\n", kSettleSec, kEventWindowSec,
                                           *e.worstAfterMs)
                              : std::string("no music heard after it\n");
    }
    out += "display lag (swap done less clock read)\n  scene  frames  mean ms  worst ms\n";
    for (size_t k = 0; k < f.sceneLag.size(); ++k) {
        const SceneLag& lag = f.sceneLag[k];
        if (lag.frames == 0) continue;
        out += formatText("  %5zu  %6d  %7.1f  %8.1f\n", k, lag.frames, lag.meanMs, lag.worstMs);
    }
    return out;
}
