#include "assets/data_file.h"

#include "assets/data_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <set>

namespace {

constexpr size_t kMiB = size_t{1} << 20;

const char* kindName(DataKind kind) {
    switch (kind) {
        case DataKind::Image: return "an image";
        case DataKind::Shader: return "a shader file";
        case DataKind::Model: return "a model file";
        case DataKind::Music: return "the music";
    }
    return "a data file";
}

std::string sizeText(long long bytes) {
    char text[48];
    if (bytes >= static_cast<long long>(kMiB))
        std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / kMiB);
    else
        std::snprintf(text, sizeof text, "%lld bytes", bytes);
    return text;
}

// size < 0: it only showed while reading.
std::string tooLarge(DataKind kind, long long size) {
    const std::string most = "the " + sizeText(static_cast<long long>(dataFileLimit(kind))) + " " + kindName(kind) + " may be";
    if (size < 0) return "is larger than " + most;
    return "is " + std::to_string(size) + " bytes, more than " + most;
}

// What a file that is not an ordinary one is, in words.
const char* typeName(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder, not a file";
    if (S_ISFIFO(mode)) return "is a named pipe, not a file";
    if (S_ISCHR(mode)) return "is a character device, not a file";
    if (S_ISBLK(mode)) return "is a block device, not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    return "is not an ordinary file";
}

DataRead failed(ReadStatus status, std::string problem) { return {status, std::move(problem)}; }

// Only a file that is not there is missing; one that may not be read, or
// whose name is too long, is named with its reason ("Permission denied").
DataRead openFailed(int error) {
    if (error == ENOENT || error == ENOTDIR) return failed(ReadStatus::Missing, "not found");
    return failed(ReadStatus::Refused, std::strerror(error));
}

// Opens an ordinary file of sane size. Looking before opening keeps a
// device or a pipe from ever being opened (which can block or act on the
// device); looking again at the open file catches one swapped in between.
int openChecked(const char* path, DataKind kind, DataRead& outcome, struct stat& info) {
    outcome = {};
    if (!path || !path[0]) {
        outcome = failed(ReadStatus::Missing, "no file name");
        return -1;
    }
    if (::stat(path, &info) != 0) {
        outcome = openFailed(errno);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        outcome = failed(ReadStatus::Refused, typeName(info.st_mode));
        return -1;
    }
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        outcome = openFailed(errno);
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        outcome = failed(ReadStatus::Refused, typeName(info.st_mode));
        ::close(fd);
        return -1;
    }
    if (static_cast<unsigned long long>(info.st_size) > dataFileLimit(kind)) {
        outcome = failed(ReadStatus::Refused, tooLarge(kind, info.st_size));
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

size_t dataFileLimit(DataKind kind) {
    switch (kind) {
        case DataKind::Image: return 64 * kMiB;
        case DataKind::Shader: return 1 * kMiB;
        case DataKind::Model: return 64 * kMiB;
        case DataKind::Music: return 256 * kMiB;
    }
    return 0;
}

DataRead readDataFile(const char* path, DataKind kind, ByteBuffer& bytes) {
    bytes.clear();
    DataRead outcome;
    struct stat info {};
    const int fd = openChecked(path, kind, outcome, info);
    if (fd < 0) return outcome;
    const size_t limit = dataFileLimit(kind);
    // The size is only a first guess: a file may grow while it is read, and
    // some report none at all. One byte past the limit proves it too large.
    size_t capacity = static_cast<size_t>(info.st_size) + 1;
    size_t filled = 0;
    try {
        bytes.resize(capacity);
        for (;;) {
            if (filled == capacity) {
                if (capacity > limit) break;
                capacity = std::min(capacity * 2 + 4096, limit + 1);
                bytes.resize(capacity);
            }
            const ssize_t n = ::read(fd, bytes.data() + filled, capacity - filled);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                outcome = failed(ReadStatus::Refused, std::string("cannot be read: ") + std::strerror(errno));
                break;
            }
            if (n == 0) break;
            filled += static_cast<size_t>(n);
        }
    } catch (const std::bad_alloc&) {
        outcome = failed(ReadStatus::Refused, kNoMemoryToRead);
    }
    ::close(fd);
    if (outcome && filled > limit) outcome = failed(ReadStatus::Refused, tooLarge(kind, -1));
    if (!outcome) {
        bytes.clear();
        return outcome;
    }
    bytes.resize(filled);
    return outcome;
}

int openDataFile(const char* path, DataKind kind, DataRead& outcome) {
    struct stat info {};
    const int fd = openChecked(path, kind, outcome, info);
    // Libraries read with blocking calls; an ordinary file never waits anyway.
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

namespace {

bool problemsQuiet = false;

// True the first time; the music may be decoded beside the main thread's
// loading, so the record is locked.
bool firstTime(const std::string& path, const std::string& problem) {
    static std::mutex mutex;
    static std::set<std::string> told;
    std::lock_guard<std::mutex> lock(mutex);
    return told.insert(path + '\n' + problem).second;
}

}  // namespace

void setFileProblemsQuiet(bool quiet) { problemsQuiet = quiet; }

void reportFileProblem(const std::string& path, const std::string& problem, const std::string& consequence) {
    // A folder missing as a whole was told once; its files are not told again.
    if (problemsQuiet || inMissingDataFolder(path.c_str()) || !firstTime(path, problem)) return;
    const std::string text = consequence.empty() ? problem : problem + "; " + consequence;
    std::fprintf(stderr, "afterglow: %s: %s\n", path.c_str(), text.c_str());
    std::fflush(stderr);
}

void noteFileProblemTold(const std::string& path, const std::string& problem) {
    if (!problemsQuiet) firstTime(path, problem);
}
