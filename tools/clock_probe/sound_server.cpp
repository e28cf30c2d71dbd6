#include "clock_probe/sound_server.h"

#include <fcntl.h>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

bool acceptsClients(const fs::path& socketPath) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

std::string lastLines(const fs::path& path) {
    std::ifstream in(path);
    std::string line, lines;
    while (std::getline(in, line))
        if (line.rfind("W:", 0) != 0) lines += (lines.empty() ? "" : "; ") + line;  // warnings are routine
    return lines;
}

// One request to the server through libpulse, waited for at most two
// seconds: a server that hangs must not hang us.
template <typename Request>
bool askServer(const std::string& address, Request request) {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "clock-probe");
    bool ok = false;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
    pa_operation* operation = nullptr;
    if (pa_context_connect(context, address.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        while (Clock::now() < deadline) {
            pa_mainloop_iterate(loop, 0, nullptr);
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) break;
            if (state == PA_CONTEXT_READY && !operation) operation = request(context, &ok);
            if (operation && pa_operation_get_state(operation) != PA_OPERATION_RUNNING) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (operation) pa_operation_unref(operation);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_mainloop_free(loop);
    return ok;
}

void noteSuccess(pa_context*, int success, void* ok) { *static_cast<bool*>(ok) = success != 0; }

}  // namespace

SoundServer::SoundServer() {
    char pattern[] = "/tmp/afterglow-sound-XXXXXX";
    if (mkdtemp(pattern)) dir_ = pattern;
}

SoundServer::~SoundServer() {
    stop();
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
}

bool SoundServer::start() {
    if (running()) return true;
    if (dir_.empty()) {
        problem_ = "no folder for the sound server";
        return false;
    }
    const fs::path log = dir_ / "pulseaudio.log";
    const std::string sink = std::string("module-null-sink sink_name=") + kSink + " rate=" + std::to_string(kRate);
    const std::string protocol = "module-native-protocol-unix auth-anonymous=1 socket=" + (dir_ / "native").string();
    pid_ = fork();
    if (pid_ < 0) {
        problem_ = std::string("cannot start pulseaudio: ") + std::strerror(errno);
        return false;
    }
    if (pid_ == 0) {
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        // Its state, its cookie and its runtime files go to the folder,
        // not to the user's home.
        setenv("HOME", dir_.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
               "--use-pid-file=no", "--log-target=stderr", "-L", sink.c_str(), "-L", protocol.c_str(),
               static_cast<char*>(nullptr));
        std::fprintf(stderr, "E: cannot run pulseaudio: %s\n", std::strerror(errno));
        _exit(127);
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            problem_ = "pulseaudio did not start (" + lastLines(log) + ")";
            return false;
        }
        if (acceptsClients(dir_ / "native")) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill();
    problem_ = "pulseaudio took clients not within 10 s (" + lastLines(log) + ")";
    return false;
}

void SoundServer::pause() {
    if (running()) ::kill(pid_, SIGSTOP);
}

void SoundServer::resume() {
    if (running()) ::kill(pid_, SIGCONT);
}

void SoundServer::kill() {
    if (!running()) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void SoundServer::stop() {
    if (!running()) return;
    ::kill(pid_, SIGCONT);  // a paused one could not leave
    ::kill(pid_, SIGTERM);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill();
}

bool SoundServer::suspendSink(bool suspended) {
    return askServer(address(), [suspended](pa_context* context, bool* ok) {
        return pa_context_suspend_sink_by_name(context, kSink, suspended ? 1 : 0, noteSuccess, ok);
    });
}

std::vector<std::string> SoundServer::clientEnvironment() const {
    return {"PULSE_SERVER=" + address(), std::string("PULSE_SINK=") + kSink,
            "PULSE_COOKIE=" + (dir_ / "cookie").string(), "PULSE_CLIENTCONFIG=/dev/null",
            "SDL_AUDIODRIVER=pulseaudio"};
}

std::string SoundServer::address() const { return "unix:" + (dir_ / "native").string(); }
