#include "runtime/platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include "runtime/platform/quit_signals.h"

namespace fs = std::filesystem;

namespace {

void removePendingFilesNow();

// Temporary files made and not yet renamed or removed. Every orderly way
// out of the program ends in exit(), which destroys this and with it the
// files, once no child (ffmpeg) can write one any more. A second signal
// ends the process at once, and its handler removes them through
// removeNow(), which may only read a fixed table: a path is copied out and
// used only if its slot did not change meanwhile (another thread may be
// writing one while the handler runs).
class PendingFiles {
public:
    PendingFiles() { setAbruptExitCleanup(removePendingFilesNow); }
    ~PendingFiles() {
        killWatchedChildren();
        removeNow();
        for (const std::string& path : overflow_) ::unlink(path.c_str());
    }

    void add(const std::string& path) {
        std::lock_guard lock(mutex_);
        for (Slot& slot : slots_) {
            if (slot.state.load() != kFree || path.size() >= sizeof slot.path) continue;
            slot.state = kChanging;
            slot.generation.fetch_add(1);
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state = kHeld;
            return;
        }
        overflow_.push_back(path);  // many at once: removed at exit only
    }

    void drop(const std::string& path) {
        std::lock_guard lock(mutex_);
        for (Slot& slot : slots_) {
            if (slot.state.load() == kHeld && path == slot.path) {
                slot.state = kFree;
                return;
            }
        }
        overflow_.erase(std::remove(overflow_.begin(), overflow_.end(), path), overflow_.end());
    }

    // Async-signal-safe, but for the overflow, which exit() alone removes.
    void removeNow() {
        for (Slot& slot : slots_) {
            const unsigned generation = slot.generation.load();
            if (slot.state.load() != kHeld) continue;
            char path[sizeof slot.path];
            std::memcpy(path, slot.path, sizeof path);
            path[sizeof path - 1] = '\0';
            if (slot.state.load() == kHeld && slot.generation.load() == generation) ::unlink(path);
        }
    }

private:
    enum : int { kFree, kChanging, kHeld };
    struct Slot {
        std::atomic<int> state{kFree};
        std::atomic<unsigned> generation{0};
        char path[PATH_MAX] = {};
    };
    Slot slots_[8];
    std::mutex mutex_;
    std::vector<std::string> overflow_;
};

PendingFiles& pendingFiles() {
    static PendingFiles files;
    return files;
}

void removePendingFilesNow() { pendingFiles().removeNow(); }

// A new, empty file beside `beside` whose name ends in the target's name,
// so that its extension still says what it holds (ffmpeg picks the
// container by it). Hidden, and marked as ours should a killed run leave it.
// Returns the descriptor, or -1 with errno set.
int makeTemporary(const fs::path& beside, std::string& made) {
    static std::atomic<unsigned> serial{0};  // the capture's PNG files are made on a worker thread
    fs::path dir = beside.parent_path();
    if (dir.empty()) dir = ".";  // "./" too keeps a name with a colon from reading as an ffmpeg protocol
    std::string tail = beside.filename().string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ".afterglow-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + "-" + tail;
        made = (dir / name).string();
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno == ENAMETOOLONG && tail != beside.extension().string()) {
            tail = beside.extension().string();  // a name near the limit: keep only what it says it holds
            continue;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

OutputFile::OutputFile(std::string target) : target_(std::move(target)) {}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::begin(std::string& error) {
    discard();
    path_.clear();
    if (target_.empty()) {
        error = "no file name";
        return false;
    }
    // A link stays a link: what it points to is what gets replaced.
    fs::path replaced = target_;
    std::error_code ignored;
    if (fs::is_symlink(fs::symlink_status(replaced, ignored))) {
        const fs::path resolved = fs::canonical(replaced, ignored);
        if (!resolved.empty()) replaced = resolved;
    }
    struct stat existing = {};
    const bool exists = ::stat(replaced.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        error = std::strerror(errno);
        return false;
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        error = std::strerror(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        path_ = target_;  // a device or a pipe takes the bytes as they come
        return true;
    }
    std::string temporary;
    const int fd = makeTemporary(replaced, temporary);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    path_ = temporary;
    // The replacement keeps the permissions of the file it replaces.
    if (exists) ::fchmod(fd, existing.st_mode & 07777);
    ::close(fd);
    replaced_ = replaced.string();
    temporary_ = true;
    pendingFiles().add(path_);
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (!temporary_) return true;  // written in place
    if (std::rename(path_.c_str(), replaced_.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    pendingFiles().drop(path_);
    temporary_ = false;
    return true;
}

std::string OutputFile::targetNamed(std::string text) const {
    if (!temporary_ || path_.empty()) return text;
    for (size_t at = 0; (at = text.find(path_, at)) != std::string::npos; at += target_.size())
        text.replace(at, path_.size(), target_);
    return text;
}

void OutputFile::discard() {
    if (!temporary_) return;
    ::unlink(path_.c_str());
    pendingFiles().drop(path_);
    temporary_ = false;
}

bool outputFileUsable(const std::string& target, std::string& error) {
    OutputFile probe(target);
    return probe.begin(error);
}

bool writeOutputStream(const std::string& target, const std::function<bool(FILE*)>& write, std::string& error) {
    OutputFile out(target);
    if (!out.begin(error)) return false;
    FILE* file = std::fopen(out.path().c_str(), "wb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    errno = 0;
    const bool written = write(file);
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
        const int why = written ? errno : writeError;
        error = why ? std::strerror(why) : "cannot write the file";
        return false;
    }
    return out.commit(error);
}

bool writeOutputText(const std::string& target, const std::string& text, std::string& error) {
    return writeOutputStream(
        target, [&](FILE* file) { return std::fwrite(text.data(), 1, text.size(), file) == text.size(); }, error);
}
