#include "runtime/startup_report.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <optional>
#include <sstream>

#include "runtime/report_format.h"

namespace {

using Clock = std::chrono::steady_clock;

// Where /proc cannot say when the process started, the moment the program
// was loaded is the next best thing.
const Clock::time_point programLoaded = Clock::now();

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

StartupReport report;
std::optional<Clock::time_point> lastLap;

std::string row(const char* name, double ms, const std::string& note = {}) {
    return formatText("  %-24s%7.0f", name, ms) + (note.empty() ? "" : "   " + note) + "\n";
}

}  // namespace

double StartupReport::modelsMs() const { return std::accumulate(sceneMs.begin(), sceneMs.end(), 0.0); }

double StartupReport::totalMs() const {
    return programLoadMs + contextMs + firstSwapMs + glChecksMs + shadersMs + texturesMs + passesMs + modelsMs() + loadingBarMs +
           musicStartMs + firstFrameMs;
}

double StartupReport::ownMs() const { return totalMs() - contextMs; }

double StartupReport::decodeHiddenMs() const { return decodeMs < 0.0 ? -1.0 : std::max(0.0, decodeMs - decodeWaitMs); }

void startupLap(StartupStep step) {
    const Clock::time_point now = Clock::now();
    const double ms = lastLap ? msBetween(*lastLap, now) : msSinceProcessStart();
    lastLap = now;
    switch (step) {
    case StartupStep::ProgramLoad: report.programLoadMs += ms; break;
    case StartupStep::Context: report.contextMs += ms; break;
    case StartupStep::FirstSwap: report.firstSwapMs += ms; break;
    case StartupStep::GlChecks: report.glChecksMs += ms; break;
    case StartupStep::Shaders: report.shadersMs += ms; break;
    case StartupStep::Texture:
        report.texturesMs += ms;
        report.textureCount += 1;
        break;
    case StartupStep::Passes: report.passesMs += ms; break;
    case StartupStep::Scene: report.sceneMs.push_back(ms); break;
    case StartupStep::LoadingBar: report.loadingBarMs += ms; break;
    case StartupStep::MusicStart: report.musicStartMs += ms; break;
    case StartupStep::FirstFrame: report.firstFrameMs += ms; break;
    }
}

void noteMusicDecode(double decodeMs, double waitMs) {
    report.decodeMs = decodeMs;
    report.decodeWaitMs = waitMs;
}

StartupReport startupReport() { return report; }

std::string startupTable(const StartupReport& r) {
    std::string out = "start-up, milliseconds\n";
    out += row("program load", r.programLoadMs, "process start to main: the dynamic loader");
    out += row("GL context and driver", r.contextMs, "the toolkit, the window, the GL driver's start");
    out += row("first swap", r.firstSwapMs, "an empty loading bar; the driver sets up the window's buffers");
    out += row("GL checks", r.glChecksMs);
    out += row("shaders", r.shadersMs);
    out += row("textures", r.texturesMs, std::to_string(r.textureCount) + " images");
    out += row("render target, passes", r.passesMs);
    out += row("models", r.modelsMs(), "the scene loaders:");
    for (size_t k = 0; k < r.sceneMs.size(); ++k)
        out += formatText("    scene %-16zu%7.0f\n", k, r.sceneMs[k]);
    out += row("loading bar", r.loadingBarMs);
    out += row("music start", r.musicStartMs, formatText("%.0f of it waiting for the music decode", r.decodeWaitMs));
    out += row("first frame", r.firstFrameMs, "drawn and shown");
    out += row("total", r.totalMs(), "process start to the first frame shown");
    out += row("ours", r.ownMs(), "the total less the GL context and driver");
    if (r.decodeMs >= 0.0)
        out += row("music decode", r.decodeMs,
                   formatText("on its own thread from the start; %.0f of it hidden behind the rest",
                              r.decodeHiddenMs()));
    else
        out += formatText("  %-24s%7s   %s\n", "music decode", "-", "not on its own thread: counted in the music start");
    return out;
}

std::string startupJson(const StartupReport& r, const std::string& indent) {
    std::string scenes;
    for (size_t k = 0; k < r.sceneMs.size(); ++k) scenes += (k ? ", " : "") + jsonNumber(r.sceneMs[k]);
    const std::string next = ",\n" + indent + " ";
    return "{\"programLoadMs\": " + jsonNumber(r.programLoadMs) + ", \"contextMs\": " + jsonNumber(r.contextMs) +
           ", \"firstSwapMs\": " + jsonNumber(r.firstSwapMs) + ", \"glChecksMs\": " + jsonNumber(r.glChecksMs) + next + "\"shadersMs\": " + jsonNumber(r.shadersMs) +
           ", \"texturesMs\": " + jsonNumber(r.texturesMs) + ", \"textureCount\": " + std::to_string(r.textureCount) +
           ", \"passesMs\": " + jsonNumber(r.passesMs) + next + "\"modelsMs\": " + jsonNumber(r.modelsMs()) +
           ", \"sceneMs\": [" + scenes + "]" + next + "\"loadingBarMs\": " + jsonNumber(r.loadingBarMs) +
           ", \"musicStartMs\": " + jsonNumber(r.musicStartMs) + ", \"firstFrameMs\": " + jsonNumber(r.firstFrameMs) +
           next + "\"totalMs\": " + jsonNumber(r.totalMs()) + ", \"ownMs\": " + jsonNumber(r.ownMs()) + next +
           "\"musicDecodeMs\": " + jsonNumber(r.decodeMs) + ", \"musicDecodeWaitMs\": " + jsonNumber(r.decodeWaitMs) +
           ", \"musicDecodeHiddenMs\": " + jsonNumber(r.decodeHiddenMs()) + "}";
}

// The kernel's start time of this process (clock ticks since boot) against
// the boot clock: this also counts the dynamic loader, which runs before
// anything of ours. Ticks are 10 ms on most systems.
double msSinceProcessStart() {
    const double sinceLoaded = msBetween(programLoaded, Clock::now());
    std::ifstream statFile("/proc/self/stat");
    std::string stat;
    std::getline(statFile, stat);
    // The command name in parentheses may hold spaces; the fields after it
    // start with the third, and the start time is the 22nd.
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return sinceLoaded;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    char* end = nullptr;
    const unsigned long long ticks = std::strtoull(field.c_str(), &end, 10);
    timespec now{};
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!fields || *end != '\0' || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return sinceLoaded;
    const double age = now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - ticks * 1000.0 / ticksPerSecond;
    // A start time that disagrees with the load time by more than a tick
    // comes from some other clock; do not trust it.
    return age >= sinceLoaded && age < sinceLoaded + 1000.0 ? age : sinceLoaded;
}
