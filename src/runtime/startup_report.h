// Start-up timing: where the time from process start to the first frame on
// screen goes, step by step.
//
//   startupLap(StartupStep::ProgramLoad);     // first thing in main
//   ... work ...; startupLap(StartupStep::Context);
//   ... every later step the same way, up to
//   startupLap(StartupStep::FirstFrame);      // the first frame is shown
//   const StartupReport r = startupReport();
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

struct StartupReport {
    double programLoadMs = 0.0;
    double contextMs = 0.0;
    double firstSwapMs = 0.0;
    double glChecksMs = 0.0;
    double shadersMs = 0.0;
    double texturesMs = 0.0;
    int textureCount = 0;
    double passesMs = 0.0;
    std::vector<double> sceneMs;  // one per scene loader, in order
    double loadingBarMs = 0.0;
    double musicStartMs = 0.0;
    double firstFrameMs = 0.0;
    // The music decode on its own thread; < 0 when the music was decoded
    // where it was needed instead.
    double decodeMs = -1.0;
    double decodeWaitMs = 0.0;  // how long the music start waited for it

    double modelsMs() const;
    double totalMs() const;        // process start to the first frame shown
    double ownMs() const;          // the total less the GL driver's start
    double decodeHiddenMs() const; // the decode less the wait for it
};

// Charges the time since the previous lap (for the first, since the process
// started) to step.
void startupLap(StartupStep step);
// Called by the music when it has the decoded file: how long the worker
// took, and how long the caller waited for it (< 0: no worker).
void noteMusicDecode(double decodeMs, double waitMs);
StartupReport startupReport();

// The report as lines of a table, and as a JSON object (no line break at the
// end; indent is put before every line after the first).
std::string startupTable(const StartupReport& report);
std::string startupJson(const StartupReport& report, const std::string& indent);

// Milliseconds since this process started, by the kernel's count when it can
// be trusted: that includes the dynamic loader.
double msSinceProcessStart();
