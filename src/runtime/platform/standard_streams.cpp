#include "runtime/platform/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

int outputError = 0;  // the first failed write's errno; -1 when it is not known

}  // namespace

void useStandardStreams() {
    // In order: open() takes the lowest free number, which is the closed one.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
}

void writeStandardOutput(const std::string& text) {
    errno = 0;
    const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    if (!written && outputError == 0) outputError = errno != 0 ? errno : -1;
}

int standardOutputExitCode(int code) {
    errno = 0;
    if (std::fflush(stdout) != 0 && outputError == 0) outputError = errno != 0 ? errno : -1;
    if (outputError == 0 && std::ferror(stdout)) outputError = -1;
    if (outputError == 0) return code;
    if (outputError > 0)
        std::fprintf(stderr, "afterglow: cannot write to standard output: %s\n", std::strerror(outputError));
    else
        std::fprintf(stderr, "afterglow: cannot write to standard output\n");
    return 1;
}
