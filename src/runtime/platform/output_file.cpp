#include "runtime/platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Temporary files made and not yet renamed or removed. Every way out of
// the program ends in exit(), which destroys this and with it the files.
class PendingFiles {
public:
    ~PendingFiles() {
        for (const std::string& path : paths_) ::unlink(path.c_str());
    }
    void add(const std::string& path) { paths_.push_back(path); }
    void drop(const std::string& path) { paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end()); }

private:
    std::vector<std::string> paths_;
};

PendingFiles& pendingFiles() {
    static PendingFiles files;
    return files;
}

// A new, empty file beside `beside` whose name ends in the target's name,
// so that its extension still says what it holds (ffmpeg picks the
// container by it). Hidden, and marked as ours should a killed run leave it.
// Returns the descriptor, or -1 with errno set.
int makeTemporary(const fs::path& beside, std::string& made) {
    static unsigned serial = 0;
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
