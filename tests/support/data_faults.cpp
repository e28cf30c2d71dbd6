#include "support/data_faults.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The same bytes for the same file on every run.
std::string randomBytes(const std::string& name, size_t size) {
    uint32_t state = 2166136261u;
    for (char c : name) state = (state ^ static_cast<uint8_t>(c)) * 16777619u;
    std::string bytes(std::max<size_t>(size, 1), '\0');
    for (char& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

// The frame header's height and width, both 65535.
void oversizeJpeg(std::string& bytes) {
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (static_cast<uint8_t>(bytes[i]) == 0xFF && static_cast<uint8_t>(bytes[i + 1]) == 0xC0) {
            for (size_t k = 5; k < 9; ++k) bytes[i + k] = static_cast<char>(0xFF);
            return;
        }
}

// The frame count of the first frame's Info (or Xing) header.
void oversizeMp3(std::string& bytes) {
    for (const char* tag : {"Info", "Xing"}) {
        const size_t at = bytes.find(tag);
        if (at == std::string::npos || at > 256 || at + 12 > bytes.size()) continue;
        bytes[at + 7] = static_cast<char>(bytes[at + 7] | 1);  // the frame count is present
        const char count[4] = {0x7F, static_cast<char>(0xFF), static_cast<char>(0xFF), static_cast<char>(0xFF)};
        std::memcpy(&bytes[at + 8], count, 4);
        return;
    }
}

// The first vertex count (or, without one, the first other count).
void oversizeAse(std::string& bytes) {
    for (const char* key : {"*MESH_NUMVERTEX", "*SHAPE_VERTEXCOUNT", "*MESH_NUMFACES", "*MATERIAL_COUNT"}) {
        const size_t at = bytes.find(key);
        if (at == std::string::npos) continue;
        size_t start = at + std::strlen(key);
        while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\t')) ++start;
        size_t end = start;
        while (end < bytes.size() && (std::isdigit(static_cast<unsigned char>(bytes[end])) || bytes[end] == '-')) ++end;
        bytes.replace(start, end - start, "2147483647");
        return;
    }
}

void oversizeShader(std::string& bytes) {
    const size_t at = bytes.find("#version");
    if (at == std::string::npos) {
        bytes.insert(0, "#version 4294967296\n");
        return;
    }
    const size_t end = bytes.find('\n', at);
    bytes.replace(at, (end == std::string::npos ? bytes.size() : end) - at, "#version 4294967296");
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

}  // namespace

const std::vector<Fault>& allFaults() {
    static const std::vector<Fault> faults = {Fault::Missing, Fault::Empty, Fault::RandomBytes, Fault::TruncatedHalf,
                                              Fault::OversizedHeader};
    return faults;
}

const char* faultName(Fault fault) {
    switch (fault) {
        case Fault::Missing: return "missing";
        case Fault::Empty: return "zero bytes";
        case Fault::RandomBytes: return "random bytes";
        case Fault::TruncatedHalf: return "truncated at half";
        case Fault::OversizedHeader: return "oversized header value";
    }
    return "?";
}

std::vector<std::string> dataFiles(const fs::path& dataDir) {
    std::vector<std::string> files = {"demo.mp3"};
    for (const char* folder : {"Textures", "shaders", "models"}) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dataDir / folder))
            if (entry.is_regular_file()) names.push_back(std::string(folder) + "/" + entry.path().filename().string());
        std::sort(names.begin(), names.end());
        files.insert(files.end(), names.begin(), names.end());
    }
    return files;
}

DataFolder::DataFolder(const fs::path& dataDir) : source_(fs::absolute(dataDir)) {
    for (const std::string& file : dataFiles(source_)) {
        fs::create_directories((dir_.path() / file).parent_path());
        fs::create_symlink(source_ / file, dir_.path() / file);
    }
}

void DataFolder::damage(const std::string& file, Fault fault) {
    const fs::path target = dir_.path() / file;
    std::string bytes = readBytes(source_ / file);
    fs::remove(target);
    switch (fault) {
        case Fault::Missing: return;
        case Fault::Empty: bytes.clear(); break;
        case Fault::RandomBytes: bytes = randomBytes(file, bytes.size()); break;
        case Fault::TruncatedHalf: bytes.resize(bytes.size() / 2); break;
        case Fault::OversizedHeader:
            if (endsWith(file, ".jpg"))
                oversizeJpeg(bytes);
            else if (endsWith(file, ".mp3"))
                oversizeMp3(bytes);
            else if (endsWith(file, ".ps") || endsWith(file, ".vs"))
                oversizeShader(bytes);
            else
                oversizeAse(bytes);
            break;
    }
    writeBytes(target, bytes);
}

namespace {

constexpr const char* kShortFrom = "58300";  // scene 3: models, a cloud image, a shader pair
constexpr const char* kShortTo = "61300";
constexpr int kShortFrames = 3;
constexpr int kWholeShowFrames = 243;

}  // namespace

ProcessResult runOnFolder(const std::string& binary, const DataFolder& folder, RunKind kind) {
    std::vector<std::string> argv = {binary, "512", "512", "--windowed"};
    ProcessOptions options;
    options.workingDir = folder.path().string();
    // Named outright: a folder with a file missing is otherwise passed over
    // for the whole copy beside the program.
    options.setEnv = {"AFTERGLOW_GL_CHECKS=1", "AFTERGLOW_NO_MESSAGE_BOX=1", "SDL_AUDIODRIVER=dummy",
                      "AFTERGLOW_DATA_DIR=" + folder.path().string()};
    switch (kind) {
        case RunKind::WholeShow:
            argv.insert(argv.end(), {"--benchmark", "--fps", "1"});
            options.timeoutSec = 1800;
            break;
        case RunKind::ShortBenchmark:
            argv.insert(argv.end(), {"--benchmark", "--fps", "1", "--from", kShortFrom, "--to", kShortTo});
            options.timeoutSec = 240;
            break;
        case RunKind::StartUp:
            argv.insert(argv.end(), {"--shot", "100", (folder.path() / "shot.png").string()});
            options.timeoutSec = 180;
            break;
    }
    return runProcess(argv, options);
}

FaultVerdict judgeEnding(const ProcessResult& run, RunKind kind) {
    FaultVerdict v;
    const std::vector<std::string> err = lines(run.err);
    const auto lastLine = [&] { return err.empty() ? std::string("(nothing on stderr)") : err.back(); };
    if (run.timedOut) {
        v.outcome = "hang: killed after its time limit";
        return v;
    }
    if (run.signal) {
        v.outcome = "crash: signal " + std::to_string(run.signal) + ": " + lastLine();
        return v;
    }
    if (run.exitCode != 0) {
        v.outcome = "exit " + std::to_string(run.exitCode) + ": " + lastLine();
        return v;
    }
    for (const std::string& line : err)
        if (line.find("GL error") != std::string::npos) {
            v.outcome = line;
            return v;
        }
    if (kind != RunKind::StartUp) {
        const int frames = kind == RunKind::WholeShow ? kWholeShowFrames : kShortFrames;
        bool played = false;
        for (const std::string& line : lines(run.out)) {
            std::istringstream row(line);
            std::string first;
            int n = -1;
            if (row >> first >> n && first == "all" && n == frames) played = true;
        }
        if (!played) {
            v.outcome = "did not play its " + std::to_string(frames) + " frames";
            return v;
        }
    }
    v.ok = true;
    v.outcome = "ok";
    return v;
}

FaultVerdict judge(const ProcessResult& run, RunKind kind, const std::string& file) {
    FaultVerdict v = judgeEnding(run, kind);
    if (!v.ok) return v;
    v.ok = false;
    const std::vector<std::string> err = lines(run.err);
    std::vector<std::string> naming;
    for (const std::string& line : err)
        if (countOf(line, file) > 0) naming.push_back(line);
    if (naming.empty()) {
        v.outcome = "not named on stderr";
        return v;
    }
    if (naming.size() > 1) {
        v.outcome = "named " + std::to_string(naming.size()) + " times: " + naming[0] + " / " + naming[1];
        return v;
    }
    v.ok = true;
    v.outcome = "ok: " + naming[0];
    return v;
}
