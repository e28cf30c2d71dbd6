#include "runtime/offline/benchmark.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <cerrno>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "gfx/egl_context.h"
#include "gfx/engine.h"
#include "gfx/gl_extensions.h"
#include "gfx/gl_state.h"
#include "runtime/environment/environment.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/window.h"
#include "runtime/offline/offline_run.h"
#include "runtime/platform/output_file.h"
#include "runtime/platform/quit_signals.h"
#include "runtime/platform/standard_streams.h"
#include "runtime/replay/replay.h"
#include "runtime/report/benchmark_report.h"
#include "runtime/report/startup_report.h"
#include "runtime/report/thread_cost.h"
#include "runtime/timeline/timeline.h"

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Sets the swap interval of the current context to 0 and says how.
std::string freeSwapFromVsync() {
    if (!hasWindow()) return "none: no window, nothing is swapped";
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    const char* extensions = display ? glXQueryExtensionsString(display, DefaultScreen(display)) : nullptr;
    auto proc = [](const char* name) { return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)); };
    if (extensionListed(extensions, "GLX_EXT_swap_control")) {
        using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
        if (auto setInterval = reinterpret_cast<SwapIntervalExt>(proc("glXSwapIntervalEXT"))) {
            setInterval(display, drawable, 0);
            return "off (GLX_EXT_swap_control)";
        }
    }
    if (extensionListed(extensions, "GLX_MESA_swap_control")) {
        using SwapIntervalMesa = int (*)(unsigned int);
        auto setInterval = reinterpret_cast<SwapIntervalMesa>(proc("glXSwapIntervalMESA"));
        if (setInterval && setInterval(0) == 0) return "off (GLX_MESA_swap_control)";
    }
    const char* mode = environmentValue(EnvVar::VblankMode);
    return std::string("left to the driver (no GLX swap control; vblank_mode=") + (mode ? mode : "unset") + ")";
}

// Fragments written between begin() and end(), through an occlusion query.
class FragmentCounter {
public:
    FragmentCounter() {
        if (GLEW_VERSION_1_5) glGenQueries(1, &query_);
        wide_ = GLEW_VERSION_3_3 || GLEW_ARB_timer_query;
    }
    ~FragmentCounter() {
        if (query_) glDeleteQueries(1, &query_);
    }
    FragmentCounter(const FragmentCounter&) = delete;
    FragmentCounter& operator=(const FragmentCounter&) = delete;

    bool available() const { return query_ != 0; }
    void begin() {
        if (query_) glBeginQuery(GL_SAMPLES_PASSED, query_);
    }
    // Waits for the count; -1 without a query.
    double end() {
        if (!query_) return -1.0;
        glEndQuery(GL_SAMPLES_PASSED);
        // A frame of a big picture with many layers can pass 2^32 fragments.
        if (wide_) {
            GLuint64 count = 0;
            glGetQueryObjectui64v(query_, GL_QUERY_RESULT, &count);
            return static_cast<double>(count);
        }
        GLuint count = 0;
        glGetQueryObjectuiv(query_, GL_QUERY_RESULT, &count);
        return count;
    }

private:
    GLuint query_ = 0;
    bool wide_ = false;
};

// Fragments per second for the cheapest kind of full-screen layer the
// scenes draw: textured, blended quads over the whole render target. The
// best of a few batches, after one to warm up.
//
// Sets and restores everything it touches (attributes, matrices); leaves
// the window target bound.
double calibrateFillRate(FragmentCounter& counter) {
    if (!counter.available()) return -1.0;
    constexpr int kTextureSize = 256;
    constexpr int kQuadsPerBatch = 16;
    constexpr int kBatches = 5;

    // Texels that vary, so the sampler cannot shortcut anything.
    std::vector<unsigned char> texels(kTextureSize * kTextureSize * 4);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<unsigned char>((i * 2654435761u) >> 24);
    GLuint texture = 0;
    glGenTextures(1, &texture);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    engine->shaders->unuse();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    bindTextureFBO(glExtensions.fboColorTexture);
    setGlState({.depthTest = kOff, .cullFace = kOff, .blend = kBlendMix, .texture2D = kOn, .lighting = kOff});
    glDisable(GL_ALPHA_TEST);  // not one of the funnel's: the program never turns it on
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glFinish();

    double best = -1.0;
    for (int batch = 0; batch <= kBatches; ++batch) {
        const Clock::time_point start = Clock::now();
        counter.begin();
        glBegin(GL_QUADS);
        for (int quad = 0; quad < kQuadsPerBatch; ++quad) {
            glTexCoord2f(0.0f, 0.0f);
            glVertex2f(0.0f, 0.0f);
            glTexCoord2f(4.0f, 0.0f);
            glVertex2f(1.0f, 0.0f);
            glTexCoord2f(4.0f, 4.0f);
            glVertex2f(1.0f, 1.0f);
            glTexCoord2f(0.0f, 4.0f);
            glVertex2f(0.0f, 1.0f);
        }
        glEnd();
        const double fragments = counter.end();  // waits for the batch
        const double seconds = msBetween(start, Clock::now()) / 1000.0;
        if (batch > 0 && seconds > 0.0 && fragments / seconds > best) best = fragments / seconds;
    }

    unbindFBO();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    // The attributes came back as they were before, not as the funnel set them.
    forgetGlState();
    glDeleteTextures(1, &texture);
    return best;
}

// Every frame finished before the next begins, so its time is its own and
// the fragment count is ready; the report once the span is done or stopped.
class Benchmark : public OfflineRun {
public:
    Benchmark(const Options& options, BenchmarkReport& report) : options_(options), report_(report) {
        samples_.reserve(static_cast<size_t>(report.framesPlanned));
    }

    bool drawsIntoWindow() const override { return true; }

    bool frame(long long i) override {
        countHeapAllocations(true);
        const long long allocationsBefore = heapAllocations();
        const double cpuBefore = threadCpuMs();
        const Clock::time_point start = Clock::now();
        counter_.begin();
        drawFrame();
        const double fragments = counter_.end();
        presentFrame();
        if (hasWindow()) glutSwapBuffers();
        glFinish();
        const Clock::time_point end = Clock::now();
        const double cpuMs = threadCpuMs() - cpuBefore;
        const long long allocations = heapAllocationsCounted() ? heapAllocations() - allocationsBefore : -1;
        countHeapAllocations(false);
        if (i == 0) {
            startupLap(StartupStep::FirstFrame);
            report_.startup = startupReport();
            report_.startupMs = report_.startup.wall.total();
        }
        samples_.push_back({sceneIndex, msBetween(start, end), fragments, cpuMs, allocations});
        return true;
    }

    int stopped(long long, const char* cause) override {
        report_.stoppedEarly = true;
        report_.stopCause = cause;
        endProgressLine();
        return finish();
    }

    int finish() override {
        if (hasWindow()) {
            report_.windowWidth = windowWidth;
            report_.windowHeight = windowHeight;
        }
        // Asked by signal to stop: the frames so far, without the seconds the
        // fill-rate measurement takes.
        if (!quitSignal()) report_.fillRate = calibrateFillRate(counter_);
        summarizeFrames(report_, samples_);

        // The table is what the run is for; its JSON is written even when
        // the table could not be.
        writeStandardOutput(benchmarkTable(report_));
        std::string error;
        const std::string& json = options_.benchmarkJsonPath;
        if (!json.empty() && !writeOutputText(json, benchmarkJson(report_), error)) {
            std::fprintf(stderr, "afterglow: cannot write \"%s\": %s\n", json.c_str(), error.c_str());
            return 1;
        }
        return standardOutputExitCode(0);
    }

private:
    const Options& options_;
    BenchmarkReport& report_;
    FragmentCounter counter_;
    std::vector<FrameSample> samples_;
};

}  // namespace

void allowSwapWithoutVsync() { setEnvironmentDefault(EnvVar::VblankMode, "0"); }

int runBenchmark(const Options& options) {
    BenchmarkReport report;
    report.width = displayWidth;
    report.height = displayHeight;
    report.fps = options.offlineFps;
    report.fromMs = options.fromMs;
    report.toMs = options.toMs;
    report.framesPlanned = spanFrameCount(options.fromMs, options.toMs, options.offlineFps);
    const GLubyte* renderer = glGetString(GL_RENDERER);
    report.renderer = renderer ? reinterpret_cast<const char*>(renderer) : "unknown";
    report.platform = glPlatformName(currentGlPlatform());
    report.vsync = freeSwapFromVsync();

    Benchmark benchmark(options, report);
    return runOffline(
        {.fromMs = options.fromMs, .fps = static_cast<double>(options.offlineFps), .frames = report.framesPlanned},
        benchmark);
}
