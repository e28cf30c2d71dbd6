// What an offline run leaves behind when writing fails or the run is killed
// half way: the file that was at the target before stays as it was, and
// nothing the run did not make is removed.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

enum class WhenTooLarge { Killed, WriteFails };

// The program with files limited to `bytes`: past that the kernel ends it
// with SIGXFSZ, or, with the signal ignored, the write fails. Standard
// output (the start-up's console lines) goes nowhere so that only the
// run's own files meet the limit.
ProcessResult afterglowWritingAtMost(long bytes, WhenTooLarge when, std::vector<std::string> args) {
    const std::string script = std::string(when == WhenTooLarge::WriteFails ? "trap '' XFSZ; " : "") +
                               "exec prlimit --fsize=" + std::to_string(bytes) + " -- \"$@\" >/dev/null";
    args.insert(args.begin(), {"/bin/sh", "-c", script, "sh", AFTERGLOW_BINARY});
    ProcessOptions options;
    options.timeoutSec = 120;
    options.workingDir = AFTERGLOW_DATA_DIR;
    return runProcess(args, options);
}

// The names in dir that do not start with a dot.
std::vector<std::string> visibleFiles(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string()[0] != '.') names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

size_t fileCount(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

bool onPath(const std::string& name) {
    return runProcess({"/bin/sh", "-c", "command -v " + name + " >/dev/null"}).exitCode == 0;
}

TEST(OutputFiles, KilledWhileWritingLeavesThePreviousFileWhole) {
    TempDir dir;
    // A picture is some 20 kB, a report of one frame over 700 bytes.
    const fs::path picture = dir / "shot.png";
    putFile(picture, "the previous shot");
    ProcessResult r = afterglowWritingAtMost(4000, WhenTooLarge::Killed, {"--shot", "1000", picture.string()});
    ASSERT_EQ(r.signal, SIGXFSZ) << "not killed while writing: exit " << r.exitCode << "\n" << r.err;
    EXPECT_EQ(fileContents(picture), "the previous shot");

    const fs::path report = dir / "bench.json";
    putFile(report, "{}");
    r = afterglowWritingAtMost(400, WhenTooLarge::Killed,
                               {"--windowed", "--benchmark", "--to", "100", "--json", report.string()});
    ASSERT_EQ(r.signal, SIGXFSZ) << "not killed while writing: exit " << r.exitCode << "\n" << r.err;
    EXPECT_EQ(fileContents(report), "{}");
    EXPECT_EQ(visibleFiles(dir.path()), (std::vector<std::string>{"bench.json", "shot.png"}));
}

TEST(OutputFiles, AFailedRunRemovesNothingButItsOwnUnfinishedFile) {
    TempDir dir;
    const fs::path frames = dir / "frames";
    fs::create_directory(frames);
    putFile(frames / "notes.txt", "not a frame");
    putFile(frames / "frame000000.png", "an earlier run's frame");
    ProcessResult r = afterglowWritingAtMost(4000, WhenTooLarge::WriteFails,
                                             {"--frames", frames.string(), "--from", "1000", "--to", "1010"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("frame000000.png\": File too large"), std::string::npos) << r.err;
    EXPECT_EQ(fileCount(frames), 2u) << "the unfinished frame was left behind";
    EXPECT_EQ(fileContents(frames / "notes.txt"), "not a frame");
    EXPECT_EQ(fileContents(frames / "frame000000.png"), "an earlier run's frame");

    if (!onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed (scripts/install-deps)";
    // ffmpeg knows no container for .txt and stops before it writes a byte.
    const fs::path notes = dir / "notes.txt";
    putFile(notes, "my notes");
    r = afterglow({"--capture", notes.string(), "--fps", "10", "--from", "0", "--to", "300"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg"), std::string::npos) << r.err;
    EXPECT_EQ(fileContents(notes), "my notes");

    const fs::path video = dir / "earlier.mp4";
    putFile(video, "an earlier video");
    r = afterglow({"--capture", video.string(), "--from", "0", "--to", "100"}, within(120, AFTERGLOW_DATA_DIR, {"PATH=" + (dir / "empty").string()}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg is not installed"), std::string::npos) << r.err;
    EXPECT_EQ(fileContents(video), "an earlier video");
    EXPECT_EQ(fileCount(dir.path()), 3u) << "a temporary file was left behind";
}

// Refused before the GL context is made (no driver line on stderr) and
// before start-up, and nothing is made, not even the frames' folder.
TEST(OutputFiles, TargetsThatCannotBeWrittenAreRefusedBeforeAnyWork) {
    TempDir dir;
    putFile(dir / "file", "");
    struct Case {
        std::vector<std::string> args;
        std::string why;
        std::vector<std::string> env;
    };
    // Nothing can be made in /proc, not even by root, who writes into any
    // read-only folder of an ordinary file system.
    const Case cases[] = {
        {{"--windowed", "--benchmark", "--json", (dir / "missing" / "b.json").string()}, "No such file or directory"},
        {{"--shot", "1000", dir.path().string()}, "Is a directory"},
        {{"--frames", (dir / "file").string()}, "not a folder"},
        {{"--frames", (dir / "file" / "frames").string()}, "not a folder"},
        {{"--frames", "/proc"}, "cannot write frames into \"/proc\""},
        {{"--frames", "/proc/afterglow/frames"}, "cannot make a folder in \"/proc\""},
        {{"--capture", (dir / "show.mp4").string()}, "ffmpeg is not installed", {"PATH=" + (dir / "empty").string()}},
    };
    for (const Case& c : cases) {
        const ProcessResult r = afterglow(c.args, within(120, AFTERGLOW_DATA_DIR, c.env));
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("drawing off-screen"), std::string::npos) << "refused after the GL start: " << r.err;
        EXPECT_EQ(r.out.find("initialize()"), std::string::npos) << "refused only after the start-up";
    }
    EXPECT_EQ(fileCount(dir.path()), 1u);
}

}  // namespace
