#include "runtime/platform/quiet_stdout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

QuietStdout::QuietStdout(bool silence) {
    if (!silence) return;
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere < 0) return;  // then the lines are printed: better than nothing working
    std::fflush(stdout);
    saved_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved_ >= 0 && dup2(nowhere, STDOUT_FILENO) < 0) {
        close(saved_);
        saved_ = -1;
    }
    close(nowhere);
}

void QuietStdout::end() {
    if (saved_ < 0) return;
    // What is still buffered belongs to the silenced stretch.
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    saved_ = -1;
}
