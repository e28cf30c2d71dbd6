#include "runtime/platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include "runtime/environment/environment.h"
#include "runtime/platform/quit_signals.h"

extern char** environ;

namespace {

// How long an abandoned child gets to end by itself once its input is
// closed (ffmpeg then encodes the frames it holds): a moment, since its
// file is thrown away.
constexpr auto kStopGrace = std::chrono::milliseconds(1000);

// ffmpeg's raw frames are megabytes each: a larger pipe means fewer
// switches between the two processes. The system's limit for users is 1 MiB.
constexpr int kInputPipeBytes = 1 << 20;

std::string readAll(int fd) {
    std::string text;
    if (fd < 0) return text;
    char block[4096];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(block, static_cast<size_t>(n));
        at += n;
    }
    return text;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string notInstalled(const std::string& name) { return name + " is not installed (not found on PATH)"; }

bool isExecutableFile(const std::string& path) {
    struct stat status = {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool helperProgramFound(const std::string& name, std::string& error) {
    if (name.find('/') != std::string::npos) {
        if (isExecutableFile(name)) return true;
        error = notInstalled(name);
        return false;
    }
    // As posix_spawnp() searches: PATH, or the system's default path when
    // it is unset; an empty entry is the working directory.
    const char* path = environmentValue(EnvVar::Path);
    const std::string folders = path ? path : "/bin:/usr/bin";
    for (size_t at = 0;;) {
        const size_t end = std::min(folders.find(':', at), folders.size());
        const std::string folder = folders.substr(at, end - at);
        if (isExecutableFile((folder.empty() ? "." : folder) + "/" + name)) return true;
        if (end == folders.size()) break;
        at = end + 1;
    }
    error = notInstalled(name);
    return false;
}

ChildProcess::~ChildProcess() {
    stop();
    closeFd(stdout_);
    closeFd(stderr_);
}

bool ChildProcess::start(const std::vector<std::string>& argv, bool pipedInput, std::string& error) {
    std::signal(SIGPIPE, SIG_IGN);
    name_ = argv.empty() ? std::string() : argv[0];
    int ends[2] = {-1, -1};
    if (pipedInput && ::pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    if (pipedInput) ::fcntl(ends[1], F_SETPIPE_SZ, kInputPipeBytes);  // a smaller pipe only costs time
    stdout_ = ::memfd_create("child stdout", MFD_CLOEXEC);
    stderr_ = ::memfd_create("child stderr", MFD_CLOEXEC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copies.
    if (pipedInput)
        posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (stdout_ >= 0) posix_spawn_file_actions_adddup2(&actions, stdout_, STDOUT_FILENO);
    if (stderr_ >= 0) posix_spawn_file_actions_adddup2(&actions, stderr_, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    closeFd(ends[0]);
    if (failed != 0) {
        closeFd(ends[1]);
        error = failed == ENOENT ? notInstalled(name_) : "cannot start " + name_ + ": " + std::strerror(failed);
        return false;
    }
    pid_ = pid;
    watchChildProcess(pid_);
    input_ = ends[1];
    return true;
}

bool ChildProcess::write(const void* bytes, size_t size, std::string& error) {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(input_, at, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const std::string why = std::strerror(errno);
            std::string ending;
            wait(ending);
            error = name_ + " stopped taking input (" + why + ")" + (ending.empty() ? "" : "; " + ending);
            return false;
        }
        at += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void ChildProcess::closeInput() { closeFd(input_); }

bool ChildProcess::running() { return pid_ >= 0 && !reap(WNOHANG); }

bool ChildProcess::reap(int options) {
    // Seen to have ended first and reaped only after it is no longer
    // watched: until then its process ID cannot be reused, so the quit
    // signals' kill cannot reach another process.
    siginfo_t info{};
    int result = 0;
    while ((result = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT | options)) < 0 &&
           errno == EINTR) {
    }
    if (result != 0 || info.si_pid != pid_) return false;
    forgetChildProcess(pid_);
    while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return true;
}

bool ChildProcess::wait(std::string& error) {
    closeInput();
    if (pid_ >= 0) reap(0);
    if (WIFEXITED(status_) && WEXITSTATUS(status_) == 0) return true;
    error = WIFEXITED(status_) ? name_ + " failed with exit status " + std::to_string(WEXITSTATUS(status_))
                               : name_ + " was ended by signal " + std::to_string(WTERMSIG(status_));
    const std::string said = lastLines(readAll(stderr_), 3);
    if (!said.empty()) error += ":\n" + said;
    return false;
}

std::string ChildProcess::output() const { return readAll(stdout_); }

void ChildProcess::stop() {
    closeInput();
    if (pid_ < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
    while (!reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid_, SIGKILL);
            reap(0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string lastLines(const std::string& text, size_t lines) {
    constexpr size_t kMaxBytes = 600;
    size_t end = text.find_last_not_of(" \t\r\n");
    if (end == std::string::npos) return {};
    ++end;
    size_t begin = end;
    for (size_t found = 0; begin > 0 && found < lines; ++found) {
        const size_t newline = text.rfind('\n', begin - 1);
        begin = newline == std::string::npos ? 0 : newline;
        if (newline == std::string::npos) break;
    }
    if (begin < text.size() && text[begin] == '\n') ++begin;
    if (end - begin > kMaxBytes) begin = end - kMaxBytes;
    return text.substr(begin, end - begin);
}
