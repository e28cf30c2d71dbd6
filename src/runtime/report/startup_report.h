// Start-up timing: where the time from process start to the first frame on
// screen goes, step by step.
//
//   startupLap(StartupStep::ProgramLoad);     // first thing in main
//   ... work ...; startupLap(StartupStep::Context);
//   ... every later step the same way, up to
//   startupLap(StartupStep::FirstFrame);      // the first frame is shown
//   const StartupReport r = startupReport();    // r.wall.total() ...
//   std::fputs(startupTable(r).c_str(), stdout);
//
// Each lap charges the time since the previous one to its step, so the steps
// add up to the whole start-up.
#pragma once

#include <string>
#include <vector>

enum class StartupStep {
    ProgramLoad,  // process start to main: the dynamic loader, static set-up
    Context,      // the toolkit, the window and the GL context: the driver's start
    FirstSwap,    // an empty loading bar shown: the driver sets up the window's buffers
    GlChecks,     // GLEW and the OpenGL 2.0 test
    Shaders,
    Texture,      // one manifest image
    Passes,       // extension checks, the render target, the pass buffers
    Scene,        // one scene loader (its models and paths)
    LoadingBar,   // drawing and showing the progress bar
    MusicStart,   // the clock started: waiting for the decode, opening the device
    FirstFrame,   // drawing and showing the first frame
};

// Milliseconds in each step, by one clock.
struct StartupTimes {
    double programLoad = 0.0;
    double context = 0.0;
    double firstSwap = 0.0;
    double glChecks = 0.0;
    double shaders = 0.0;
    double textures = 0.0;
    double passes = 0.0;
    std::vector<double> scenes;  // one per scene loader, in order
    double loadingBar = 0.0;
    double musicStart = 0.0;
    double firstFrame = 0.0;

    double models() const;  // the scene loaders together
    double total() const;   // process start to the first frame shown
    double own() const;     // the total less the GL context and driver
};

struct StartupReport {
    StartupTimes wall;  // what the viewer waits
    // The main thread's processor time in the same steps: what the steps
    // cost on a machine with nothing else to do (the driver's rasterising
    // threads and the music worker are not in it).
    StartupTimes cpu;
    int textureCount = 0;
    // The music decode on its own thread; < 0 when the music was decoded
    // where it was needed instead.
    double decodeMs = -1.0;
    double decodeWaitMs = 0.0;  // how long the music start waited for it
    bool decodeFirstSeconds = false;  // decodeMs is up to the music's first seconds

    double decodeHiddenMs() const;  // the decode less the wait for it
};

// Charges the time since the previous lap (for the first, since the process
// started) to step. Called from the main thread only.
void startupLap(StartupStep step);
// Called by the music when it has the decoded file, or its first seconds
// (then the rest decodes behind the show): how long the worker took to get
// there, and how long the caller waited for it (< 0: no worker).
void noteMusicDecode(double decodeMs, double waitMs, bool firstSeconds = false);
StartupReport startupReport();

// The report as lines of a table, and as a JSON object (no line break at the
// end; indent is put before every line after the first).
std::string startupTable(const StartupReport& report);
std::string startupJson(const StartupReport& report, const std::string& indent);

// Milliseconds since this process started, by the kernel's count when it can
// be trusted: that includes the dynamic loader.
double msSinceProcessStart();
