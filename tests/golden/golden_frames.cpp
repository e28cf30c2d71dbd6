#include "golden_frames.h"

#include <nettle/sha2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/png_read.h"
#include "support/process.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kNoDigest = "-";

bool isDigest(const std::string& text) {
    return text.size() == 2 * SHA256_DIGEST_SIZE && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool isFrameLine(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] != '#';
}

// A frame line: time, size, digest, then the words on what it shows.
bool parseFrameLine(const std::string& line, GoldenFrame& frame, std::string& problem) {
    std::istringstream in(line);
    std::string ms, size;
    in >> ms >> size >> frame.digest;
    std::getline(in >> std::ws, frame.what);
    char* end = nullptr;
    const long value = std::strtol(ms.c_str(), &end, 10);
    if (ms.empty() || *end != '\0' || value < 0 || value > 1000000) {
        problem = "\"" + ms + "\" is not a time in milliseconds";
        return false;
    }
    frame.ms = static_cast<int>(value);
    char x = 0;
    std::istringstream sizeIn(size);
    if (!(sizeIn >> frame.width >> x >> frame.height) || x != 'x' || !sizeIn.eof() || frame.width <= 0 ||
        frame.height <= 0) {
        problem = "\"" + size + "\" is not a size like 1024x768";
        return false;
    }
    if (frame.digest != kNoDigest && !isDigest(frame.digest)) {
        problem = "\"" + frame.digest + "\" is neither a SHA-256 in lowercase hex nor - (not rendered yet)";
        return false;
    }
    return true;
}

bool readLines(const fs::path& file, std::vector<std::string>& lines, std::string& error) {
    std::ifstream in(file);
    if (!in) {
        error = file.string() + ": cannot be read";
        return false;
    }
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return true;
}

std::string frameLine(const GoldenFrame& frame) {
    char head[64];
    std::snprintf(head, sizeof head, "%-7d %-9s ", frame.ms,
                  (std::to_string(frame.width) + "x" + std::to_string(frame.height)).c_str());
    return head + frame.digest + "  " + frame.what;
}

std::string lastLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    const size_t start = text.rfind('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

// Copies a picture into the keep folder through a temporary name, so a
// kept picture is never half written.
fs::path keepCopy(const fs::path& png, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    const fs::path partial = to.string() + ".partial";
    fs::copy_file(png, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(partial, to, ec);
    if (ec) {
        fs::remove(partial, ec);
        return {};
    }
    return to;
}

std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, share < 0.1 ? "%.2g %%" : "%.1f %%", share);
    return text;
}

}  // namespace

bool readGoldenFrames(const fs::path& file, std::vector<GoldenFrame>& frames, std::string& error) {
    std::vector<std::string> lines;
    if (!readLines(file, lines, error)) return false;
    frames.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!isFrameLine(lines[i])) continue;
        const std::string where = file.string() + ":" + std::to_string(i + 1) + ": ";
        GoldenFrame frame;
        std::string problem;
        if (!parseFrameLine(lines[i], frame, problem)) {
            error = where + problem;
            return false;
        }
        // The time names the frame's test and its kept pictures.
        if (std::any_of(frames.begin(), frames.end(), [&](const GoldenFrame& f) { return f.ms == frame.ms; })) {
            error = where + std::to_string(frame.ms) + " ms is listed twice";
            return false;
        }
        frames.push_back(frame);
    }
    return true;
}

bool writeGoldenFrameDigests(const fs::path& file, const std::vector<GoldenFrame>& frames, std::string& error) {
    std::vector<std::string> lines;
    if (!readLines(file, lines, error)) return false;
    std::string text;
    for (std::string& line : lines) {
        GoldenFrame listed;
        std::string problem;
        if (isFrameLine(line) && parseFrameLine(line, listed, problem)) {
            const auto frame =
                std::find_if(frames.begin(), frames.end(), [&](const GoldenFrame& f) { return f.ms == listed.ms; });
            if (frame != frames.end()) line = frameLine(*frame);
        }
        text += line + "\n";
    }
    const fs::path partial = file.string() + ".partial";
    {
        std::ofstream out(partial, std::ios::binary);
        out << text;
        if (!out.flush()) {
            error = partial.string() + ": cannot be written";
            return false;
        }
    }
    std::error_code ec;
    fs::rename(partial, file, ec);
    if (ec) {
        error = file.string() + ": cannot be replaced: " + ec.message();
        return false;
    }
    return true;
}

RenderedFrame renderGoldenFrame(const GoldenFrame& frame, const fs::path& png) {
    RenderedFrame rendered;
    rendered.path = png;
    ProcessOptions options;
    options.workingDir = AFTERGLOW_DATA_DIR;
    // Headless even where a display is open: the references are EGL's.
    options.unsetEnv = {"DISPLAY"};
    options.setEnv = {"AFTERGLOW_NO_MESSAGE_BOX=1"};
    options.timeoutSec = 240;
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, std::to_string(frame.width), std::to_string(frame.height),
                                        "--headless", "--shot", std::to_string(frame.ms), png.string()},
                                       options);
    rendered.programErr = r.err;
    if (r.timedOut) {
        rendered.error = "the program did not finish the shot within " + std::to_string(int(options.timeoutSec)) + " s";
    } else if (r.exitCode != 0) {
        rendered.error = "the program failed (exit " + std::to_string(r.exitCode) + "): " + lastLine(r.err);
    } else {
        rendered.digest = pixelDigest(png, rendered.error);
    }
    return rendered;
}

std::string pixelDigest(const fs::path& png, std::string& error) {
    RgbImage image;
    if (!readPngRgb(png.string(), image, error)) {
        error = png.string() + ": " + error;
        return "";
    }
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, image.pixels.size(), image.pixels.data());
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    std::string hex;
    for (uint8_t byte : digest) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex;
}

std::string describeDifference(const fs::path& before, const fs::path& after) {
    RgbImage a, b;
    std::string error;
    if (!readPngRgb(before.string(), a, error)) return before.string() + ": " + error;
    if (!readPngRgb(after.string(), b, error)) return after.string() + ": " + error;
    if (a.width != b.width || a.height != b.height)
        return "the size differs: " + std::to_string(a.width) + "x" + std::to_string(a.height) + ", then " +
               std::to_string(b.width) + "x" + std::to_string(b.height);
    size_t changed = 0;
    int largest = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const int step = std::abs(int(a.pixels[i]) - int(b.pixels[i]));
        changed += step != 0;
        largest = std::max(largest, step);
    }
    if (changed == 0) return "the pixels are the same";
    return percent(100.0 * double(changed) / double(a.pixels.size())) + " of bytes (" + std::to_string(changed) +
           ") differ, up to " + std::to_string(largest) + (largest == 1 ? " level" : " levels");
}

fs::path goldenFramesFile() { return AFTERGLOW_GOLDEN_FRAMES; }

fs::path referencePicturePath(const GoldenFrame& frame) {
    return fs::path(AFTERGLOW_GOLDEN_KEEP) / "reference" / (frame.name() + ".png");
}

fs::path differentPicturePath(const GoldenFrame& frame) {
    return fs::path(AFTERGLOW_GOLDEN_KEEP) / "different" / (frame.name() + ".png");
}

fs::path keptReferencePicture(const GoldenFrame& frame) {
    const fs::path kept = referencePicturePath(frame);
    std::error_code ec;
    if (!fs::exists(kept, ec)) return {};
    std::string error;
    return pixelDigest(kept, error) == frame.digest ? kept : fs::path();
}

fs::path keepReferencePicture(const GoldenFrame& frame, const fs::path& png) {
    std::error_code ec;
    fs::remove(differentPicturePath(frame), ec);
    return keepCopy(png, referencePicturePath(frame));
}

fs::path keepDifferentPicture(const GoldenFrame& frame, const fs::path& png) {
    return keepCopy(png, differentPicturePath(frame));
}
