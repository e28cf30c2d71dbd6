#include "runtime/report/startup_report.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <optional>
#include <sstream>

#include "runtime/report/report_format.h"
#include "runtime/report/thread_cost.h"

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
double lastLapCpuMs = 0.0;

void charge(StartupTimes& times, StartupStep step, double ms) {
    switch (step) {
    case StartupStep::ProgramLoad: times.programLoad += ms; break;
    case StartupStep::Context: times.context += ms; break;
    case StartupStep::FirstSwap: times.firstSwap += ms; break;
    case StartupStep::GlChecks: times.glChecks += ms; break;
    case StartupStep::Shaders: times.shaders += ms; break;
    case StartupStep::Texture: times.textures += ms; break;
    case StartupStep::Passes: times.passes += ms; break;
    case StartupStep::Scene: times.scenes.push_back(ms); break;
    case StartupStep::LoadingBar: times.loadingBar += ms; break;
    case StartupStep::MusicStart: times.musicStart += ms; break;
    case StartupStep::FirstFrame: times.firstFrame += ms; break;
    }
}

// One row: the step's name, its wall and processor milliseconds, a note.
std::string row(const char* name, double wallMs, double cpuMs, const std::string& note = {}) {
    return formatText("  %-24s%7.0f%7.0f", name, wallMs, cpuMs) + (note.empty() ? "" : "   " + note) + "\n";
}

std::string jsonTimes(const StartupTimes& t, const std::string& indent) {
    std::string scenes;
    for (size_t k = 0; k < t.scenes.size(); ++k) scenes += (k ? ", " : "") + jsonNumber(t.scenes[k]);
    const std::string next = ",\n" + indent + " ";
    return "{\"programLoad\": " + jsonNumber(t.programLoad) + ", \"context\": " + jsonNumber(t.context) +
           ", \"firstSwap\": " + jsonNumber(t.firstSwap) + ", \"glChecks\": " + jsonNumber(t.glChecks) + next +
           "\"shaders\": " + jsonNumber(t.shaders) + ", \"textures\": " + jsonNumber(t.textures) +
           ", \"passes\": " + jsonNumber(t.passes) + ", \"models\": " + jsonNumber(t.models()) + next +
           "\"scenes\": [" + scenes + "]" + next + "\"loadingBar\": " + jsonNumber(t.loadingBar) +
           ", \"musicStart\": " + jsonNumber(t.musicStart) + ", \"firstFrame\": " + jsonNumber(t.firstFrame) +
           ", \"total\": " + jsonNumber(t.total()) + ", \"own\": " + jsonNumber(t.own()) + "}";
}

}  // namespace

double StartupTimes::models() const { return std::accumulate(scenes.begin(), scenes.end(), 0.0); }

double StartupTimes::total() const {
    return programLoad + context + firstSwap + glChecks + shaders + textures + passes + models() + loadingBar +
           musicStart + firstFrame;
}

double StartupTimes::own() const { return total() - context; }

double StartupReport::decodeHiddenMs() const { return decodeMs < 0.0 ? -1.0 : std::max(0.0, decodeMs - decodeWaitMs); }

void startupLap(StartupStep step) {
    const Clock::time_point now = Clock::now();
    const double cpuNow = threadCpuMs();
    charge(report.wall, step, lastLap ? msBetween(*lastLap, now) : msSinceProcessStart());
    charge(report.cpu, step, cpuNow - lastLapCpuMs);  // the thread's time counts from the process start
    if (step == StartupStep::Texture) report.textureCount += 1;
    lastLap = now;
    lastLapCpuMs = cpuNow;
}

void noteMusicDecode(double decodeMs, double waitMs, bool firstSeconds) {
    report.decodeMs = decodeMs;
    report.decodeWaitMs = waitMs;
    report.decodeFirstSeconds = firstSeconds;
}

StartupReport startupReport() { return report; }

std::string startupTable(const StartupReport& r) {
    const StartupTimes& w = r.wall;
    const StartupTimes& c = r.cpu;
    std::string out = "start-up, milliseconds           wall    cpu (of the main thread)\n";
    out += row("program load", w.programLoad, c.programLoad,
               "process start to main: the dynamic loader");
    out += row("GL context and driver", w.context, c.context, "the toolkit, the window, the GL driver's start");
    out += row("first swap", w.firstSwap, c.firstSwap, "an empty loading bar; the driver sets up the window's buffers");
    out += row("GL checks", w.glChecks, c.glChecks);
    out += row("shaders", w.shaders, c.shaders);
    out += row("textures", w.textures, c.textures, std::to_string(r.textureCount) + " images");
    out += row("render target, passes", w.passes, c.passes);
    out += row("models", w.models(), c.models(), "the scene loaders:");
    for (size_t k = 0; k < w.scenes.size(); ++k)
        out += formatText("    scene %-16zu%7.0f%7.0f\n", k, w.scenes[k], k < c.scenes.size() ? c.scenes[k] : 0.0);
    out += row("loading bar", w.loadingBar, c.loadingBar);
    out += row("music start", w.musicStart, c.musicStart,
               formatText("%.0f of it waiting for the music decode", r.decodeWaitMs));
    out += row("first frame", w.firstFrame, c.firstFrame, "drawn and shown");
    out += row("total", w.total(), c.total(), "process start to the first frame shown");
    out += row("ours", w.own(), c.own(), "the total less the GL context and driver");
    if (r.decodeMs >= 0.0 && r.decodeFirstSeconds)
        out += formatText("  %-24s%7.0f          its first seconds, on its own thread from the start; %.0f of it hidden "
                          "behind the rest; the rest decodes behind the show\n",
                          "music decode", r.decodeMs, r.decodeHiddenMs());
    else if (r.decodeMs >= 0.0)
        out += formatText("  %-24s%7.0f          on its own thread from the start; %.0f of it hidden behind the rest\n",
                          "music decode", r.decodeMs, r.decodeHiddenMs());
    else
        out += formatText("  %-24s%7s          %s\n", "music decode", "-", "not on its own thread: counted in the music start");
    return out;
}

std::string startupJson(const StartupReport& r, const std::string& indent) {
    const std::string next = ",\n" + indent + " ";
    return "{\"wallMs\": " + jsonTimes(r.wall, indent + " ") + next +
           "\"mainThreadCpuMs\": " + jsonTimes(r.cpu, indent + " ") + next +
           "\"textureCount\": " + std::to_string(r.textureCount) + ", \"musicDecodeMs\": " + jsonNumber(r.decodeMs) +
           ", \"musicDecodeWaitMs\": " + jsonNumber(r.decodeWaitMs) +
           ", \"musicDecodeFirstSecondsOnly\": " + (r.decodeFirstSeconds ? "true" : "false") +
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
