// clock-probe: plays the show into a sound server of its own and measures
// the music clock against what was audible, frame by frame.
//
//   cd build && xvfb-run -a -s '-screen 0 1280x1024x24' ./clock-probe
//   ./clock-probe [--program PATH] [--seconds N] [--keep DIR] [-- PROGRAM ARGUMENTS]
//   ./clock-probe --again DIR
//
// Starts PulseAudio with a null sink in a private folder, records the sink's
// monitor with CLOCK_MONOTONIC stamps, runs the program (./afterglow in the
// data folder, by default `1024 768 --windowed`: the whole show) with
// --clock-log, then matches the recording against demo.mp3 and prints: how
// long after the first audible note the first frame was swapped, the
// clock's own error (mean, worst, drift) after the first audible second, the
// frames where it stood still or ran ahead, each seek or pause with its
// error once settled, and the display lag per scene. --seconds N ends the
// program (SIGTERM) after N seconds; --keep DIR keeps the clock log, the
// recording with the server's reports, what was heard at each frame and the
// program's stderr there, and --again DIR matches and reports such a run
// again without playing it. Playing needs a display (DISPLAY).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "clock_probe/clock_figures.h"
#include "clock_probe/sound_server.h"
#include "runtime/audio/mp3_decode.h"
#include "runtime/environment/environment.h"
#include "runtime/report/report_format.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Arguments {
    std::string program = "./afterglow";
    std::string keep;
    std::string again;     // a kept run to match and report again, without playing
    double seconds = 0.0;  // 0: the program ends by itself
    std::vector<std::string> programArguments = {"1024", "768", "--windowed"};
};

bool parseArguments(int argc, char** argv, Arguments& a) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--program" && i + 1 < argc) {
            a.program = argv[++i];
        } else if (arg == "--seconds" && i + 1 < argc) {
            a.seconds = std::atof(argv[++i]);
        } else if (arg == "--again" && i + 1 < argc) {
            a.again = argv[++i];
        } else if (arg == "--keep" && i + 1 < argc) {
            a.keep = argv[++i];
        } else if (arg == "--") {
            a.programArguments.assign(argv + i + 1, argv + argc);
            return true;
        } else {
            std::fprintf(stderr,
                         "usage: clock-probe [--program PATH] [--seconds N] [--keep DIR] [-- PROGRAM ARGUMENTS]\n"
                         "       clock-probe --again DIR\n");
            return false;
        }
    }
    return true;
}

// Runs the program to its end (or for seconds, when not 0) with extra
// variables, its stdout dropped and its stderr into errPath; a line on
// stderr every ten seconds meanwhile.
int runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
               const std::string& errPath, double seconds) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, args[0], &files, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (failed) {
        std::fprintf(stderr, "clock-probe: cannot run %s: %s\n", args[0], std::strerror(failed));
        return -1;
    }
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    bool ended = false;
    // On a terminal one line rewritten in place; in a log a line each time.
    const bool terminal = isatty(STDERR_FILENO);
    int shown = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > 0.0 && elapsed > seconds && !ended) {
            kill(pid, SIGTERM);
            ended = true;
        }
        if (elapsed >= shown + 10) {
            shown = static_cast<int>(elapsed);
            std::fprintf(stderr, terminal ? "\rclock-probe: playing, %d s" : "clock-probe: playing, %d s\n", shown);
        }
    }
    if (terminal && shown > 0) std::fputc('\n', stderr);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The recording as --keep leaves it: its samples as raw floats and the
// server's reports, which --again reads back.
bool keepRecording(const Recording& recording, const fs::path& dir) {
    FILE* samples = std::fopen((dir / "recording.f32").c_str(), "wb");
    FILE* played = std::fopen((dir / "played.tsv").c_str(), "w");
    bool ok = samples && played &&
              std::fwrite(recording.samples.data(), sizeof(float), recording.samples.size(), samples) ==
                  recording.samples.size();
    if (played) {
        std::fputs("recorded_sample\tplayed_ns\n", played);
        for (const PlayedAt& p : recording.played)
            std::fprintf(played, "%.1f\t%lld\n", p.index, static_cast<long long>(p.ns));
    }
    for (FILE* f : {samples, played})
        if (f) ok = std::fclose(f) == 0 && ok;
    return ok;
}

Recording keptRecording(const fs::path& dir) {
    Recording r;
    std::ifstream samples(dir / "recording.f32", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(samples)), {});
    r.samples.resize(bytes.size() / sizeof(float));
    std::memcpy(r.samples.data(), bytes.data(), r.samples.size() * sizeof(float));
    std::ifstream played(dir / "played.tsv");
    std::string header;
    std::getline(played, header);
    for (PlayedAt p{}; played >> p.index >> p.ns;) r.played.push_back(p);
    return r;
}

// Plays the program into a server of our own while recording it; the exit
// code, or -1 when the server or the recorder could not start.
int playAndRecord(const Arguments& a, const fs::path& dir, Recording& recording) {
    SoundServer server;
    if (!server.start()) {
        std::fprintf(stderr, "clock-probe: %s\n", server.problem().c_str());
        return -1;
    }
    MonitorRecorder recorder;
    std::string error;
    if (!recorder.start(server.address(), SoundServer::kMonitor, error)) {
        std::fprintf(stderr, "clock-probe: %s\n", error.c_str());
        return -1;
    }
    std::vector<std::string> argvProgram = {a.program};
    argvProgram.insert(argvProgram.end(), a.programArguments.begin(), a.programArguments.end());
    argvProgram.insert(argvProgram.end(), {"--clock-log", (dir / "clock.tsv").string()});
    std::fprintf(stderr, "clock-probe: playing into a null sink, recording its monitor\n");
    const int exitCode = runProgram(argvProgram, server.clientEnvironment(), (dir / "stderr.txt").string(), a.seconds);
    recording = recorder.finish();
    server.stop();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    if (!parseArguments(argc, argv, a)) return 2;
    if (a.again.empty() && !environmentValue(EnvVar::Display)) {
        std::fprintf(stderr, "clock-probe: no display (DISPLAY is not set): run it under xvfb-run\n");
        return 1;
    }
    const DecodedMusic music = decodeMp3("demo.mp3");
    if (!music.error.empty()) {
        std::fprintf(stderr, "clock-probe: demo.mp3: %s (run it in the data folder, build/)\n", music.error.c_str());
        return 1;
    }
    std::vector<float> left(static_cast<size_t>(music.frames()));
    for (size_t i = 0; i < left.size(); ++i) left[i] = music.samples[2 * i];

    const fs::path dir = !a.again.empty() ? fs::path(a.again)
                         : !a.keep.empty() ? fs::path(a.keep)
                                           : fs::temp_directory_path() / ("clock-probe-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Recording recording;
    if (a.again.empty()) {
        const int exitCode = playAndRecord(a, dir, recording);
        if (exitCode < 0) return 1;
        std::printf("program              %s, exit code %d\n", a.program.c_str(), exitCode);
        if (!recording.problem.empty()) std::printf("recording            %s\n", recording.problem.c_str());
        if (!a.keep.empty() && !keepRecording(recording, dir))
            std::fprintf(stderr, "clock-probe: cannot keep the recording in %s\n", dir.c_str());
    } else {
        recording = keptRecording(dir);
    }
    std::string error;
    const std::vector<ClockLogLine> log = readClockLog((dir / "clock.tsv").string(), error);
    if (a.again.empty() && a.keep.empty()) fs::remove_all(dir);
    if (log.empty()) {
        std::fprintf(stderr, "clock-probe: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "clock-probe: matching %.1f s of recording against the music\n",
                 static_cast<double>(recording.samples.size()) / recording.rate);
    const AudibleMusic heard = locateMusicBeside(log, recording, left);
    std::fputs(formatClockFigures(measureClock(log, heard)).c_str(), stdout);
    if (a.keep.empty() && a.again.empty()) return 0;
    // Beside the log: what was heard when each frame read the clock.
    const std::string heardPath = (dir / "heard.tsv").string();
    if (FILE* out = std::fopen(heardPath.c_str(), "w")) {
        std::fputs("read_ns\tmusic_ms\taudible_ms\n", out);
        for (const ClockLogLine& l : log) {
            const std::optional<double> audible = heard.musicMsAt(l.readNs);
            std::fprintf(out, "%lld\t%.3f\t%s\n", static_cast<long long>(l.readNs), l.musicMs,
                         audible ? formatText("%.3f", *audible).c_str() : "-");
        }
        std::fclose(out);
    }
    std::printf("kept                 %s: clock.tsv, heard.tsv, recording.f32, played.tsv, stderr.txt\n", dir.c_str());
    return 0;
}
