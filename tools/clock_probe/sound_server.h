// A PulseAudio server of our own with a null sink: a sound device that keeps
// time like a sound card, for machines that have none (CI, a server). It
// lives in a private runtime folder, so it never meets the user's own
// server, and is stopped by its PID.
//
//   SoundServer server;
//   if (!server.start()) skip(server.problem());
//   run the program with server.clientEnvironment() added to its own;
//   record server.monitorSource() (MonitorRecorder) meanwhile;
//   server.pause(); ... server.resume();   // SIGSTOP and SIGCONT
//   server.kill(); server.start();         // gone for good, and a new one
//
// Everything it writes (the socket, its cookie, its state) stays in the
// folder, which goes when the object does.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class SoundServer {
public:
    SoundServer();
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Starts pulseaudio and waits until it takes clients (at most 10 s);
    // false with problem() saying why. A stopped or killed one may be
    // started again: a restart in the same folder, where clients look.
    bool start();
    const std::string& problem() const { return problem_; }
    bool running() const { return pid_ > 0; }
    int pid() const { return pid_; }

    // SIGSTOP and SIGCONT: the server keeps its clients but stops taking
    // samples meanwhile, as a server that hangs does.
    void pause();
    void resume();
    // SIGKILL, as a crash ends it; stop() asks it to leave first.
    void kill();
    void stop();
    // Suspends the sink: it takes no more samples until resumed, while
    // the server answers as usual (pactl suspend-sink).
    bool suspendSink(bool suspended);

    // "NAME=value" pairs that make a client play into the null sink: the
    // server's socket, and SDL told to use it.
    std::vector<std::string> clientEnvironment() const;
    // The server's address as libpulse takes it ("unix:/.../native").
    std::string address() const;
    static constexpr const char* kSink = "out";
    static constexpr const char* kMonitor = "out.monitor";
    static constexpr int kRate = 44100;

private:
    std::filesystem::path dir_;
    int pid_ = -1;
    std::string problem_;
};
