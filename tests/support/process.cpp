#include "support/process.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"

namespace {

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The child's standard output: the capture file, or one where writing fails.
int openStdout(const std::string& to, const std::string& capture) {
    if (to.empty()) return open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (to != kReaderGone) return open(to.c_str(), O_WRONLY | O_CLOEXEC);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
    close(ends[0]);
    return ends[1];
}

// chdir, a folder at a time where the path is longer than a path may be.
bool enter(const std::string& path) {
    if (chdir(path.c_str()) == 0) return true;
    if (errno != ENAMETOOLONG) return false;
    if (path[0] == '/' && chdir("/") != 0) return false;
    std::stringstream folders(path);
    for (std::string folder; std::getline(folders, folder, '/');)
        if (!folder.empty() && chdir(folder.c_str()) != 0) return false;
    return true;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options,
                         void (*onRunning)(int pid, void* data), void* data) {
    ProcessResult result;
    TempDir logs;
    const std::string outPath = (logs / "out").string();
    const std::string errPath = (logs / "err").string();

    const pid_t pid = fork();
    if (pid < 0) return result;
    if (pid == 0) {
        if (options.ownProcessGroup) setpgid(0, 0);
        const int out = openStdout(options.stdoutTo, outPath);
        // Close-on-exec: the program gets the copies 0, 1 and 2 only.
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (!options.workingDir.empty() && !enter(options.workingDir)) _exit(126);
        for (const int fd : options.closedFds) close(fd);
        if (options.addressSpaceBytes > 0) {
            const rlimit limit = {static_cast<rlim_t>(options.addressSpaceBytes),
                                  static_cast<rlim_t>(options.addressSpaceBytes)};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (options.permissionsApply && geteuid() == 0 &&
            (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE) != 0 || prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) != 0)) {
            static const char message[] = "cannot run without the file capabilities of root\n";
            const ssize_t ignored = write(err, message, sizeof message - 1);
            (void)ignored;
            _exit(kPermissionsNotApplied);
        }
        for (const auto& name : options.unsetEnv) unsetenv(name.c_str());
        for (const auto& pair : options.setEnv) putenv(const_cast<char*>(pair.c_str()));
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        // The program starts with the usual signal actions, whatever the
        // test runner ignores.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
        execv(args[0], args.data());
        _exit(127);
    }

    if (options.ownProcessGroup) setpgid(pid, pid);  // as the child does: whichever runs first
    if (onRunning) onRunning(pid, data);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.timeoutSec);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (!result.timedOut && WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

bool childHasEnded(int pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
