#include "runtime/offline/video_pipe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace {

std::string seconds(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms / 1000.0);
    return text;
}

// Containers that take H.264 and AAC; any other extension gets ffmpeg's own
// choice of codecs for it.
bool takesH264(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    return ext == ".mp4" || ext == ".m4v" || ext == ".mov" || ext == ".mkv";
}

}  // namespace

std::vector<std::string> ffmpegArguments(const VideoSettings& settings) {
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24",
                                     "-s", std::to_string(settings.width) + "x" + std::to_string(settings.height),
                                     "-r", std::to_string(settings.fps), "-i", "-"};
    if (!settings.audioPath.empty()) {
        args.insert(args.end(), {"-ss", seconds(settings.fromMs), "-t", seconds(settings.toMs - settings.fromMs), "-i",
                                 settings.audioPath, "-map", "0:v", "-map", "1:a"});
    }
    if (takesH264(settings.path)) {
        args.insert(args.end(), {"-c:v", "libx264", "-pix_fmt", "yuv420p"});
        if (!settings.audioPath.empty()) args.insert(args.end(), {"-c:a", "aac"});
    }
    args.push_back(settings.path);
    return args;
}

VideoPipe::~VideoPipe() {
    if (pid_ >= 0) abandon();
}

bool VideoPipe::open(const VideoSettings& settings, std::string& error) {
    // A dead ffmpeg must show up as a failed write, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);  // dup2 clears close-on-exec
    const std::vector<std::string> args = ffmpegArguments(settings);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]);
    if (failed != 0) {
        ::close(ends[1]);
        error = failed == ENOENT ? std::string("ffmpeg is not installed (not found on PATH)")
                                 : std::string("cannot start ffmpeg: ") + std::strerror(failed);
        return false;
    }
    pid_ = pid;
    fd_ = ends[1];
    return true;
}

bool VideoPipe::write(const std::vector<uint8_t>& rgb, std::string& error) {
    const uint8_t* at = rgb.data();
    size_t left = rgb.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int writeError = errno;
            std::string status;
            ::close(fd_);
            fd_ = -1;
            wait(status);
            error = "ffmpeg stopped taking frames (" + std::string(std::strerror(writeError)) + ")" +
                    (status.empty() ? "" : "; " + status);
            return false;
        }
        at += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool VideoPipe::close(std::string& error) {
    ::close(fd_);
    fd_ = -1;
    return wait(error);
}

void VideoPipe::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    kill(pid_, SIGTERM);
    std::string ignored;
    wait(ignored);
}

bool VideoPipe::wait(std::string& error) {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    error = WIFEXITED(status) ? "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status))
                              : "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
    return false;
}
