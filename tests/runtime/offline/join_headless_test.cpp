// --join: the parts of a split capture made into one video, and every way
// a set of parts can be wrong, each named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/video_probe.h"

namespace {

// Part K/N of a 512x512 capture at fps from 28700 to 29100 ms, into path.
void makePart(const std::filesystem::path& path, const std::string& part, const std::string& fps) {
    const ProcessResult r = runAfterglow({"512", "512", "--capture", path.string(), "--fps", fps, "--from", "28700",
                                          "--to", "29100", "--crf", "0", "--part", part});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const VideoProbe p = probeVideo(path);
    EXPECT_EQ(p.streams.size(), 1u) << "a part has no sound: the join adds it once";
    EXPECT_EQ(p.format.at("tags.comment").rfind("afterglow part " + part + ": ", 0), 0u);
}

TEST(Join, PartsInAnyOrderMakeOneVideoWithItsMusicAndAWrongSetIsNamed) {
    if (!videoToolsInstalled()) GTEST_SKIP() << kVideoToolsNeeded;
    TempDir dir;
    const auto first = dir / "a1.mp4", second = dir / "a2.mp4", other = dir / "b2.mp4";
    makePart(first, "1/2", "10");
    makePart(second, "2/2", "10");
    makePart(other, "2/2", "5");  // another capture: another frame rate
    const auto notes = dir / "notes.txt";
    std::ofstream(notes) << "not a video\n";

    // No GL and no display: a display that cannot be opened is no matter.
    ProcessOptions anywhere;
    anywhere.setEnv = {"DISPLAY=:97"};
    const auto joined = dir / "joined.mkv";
    ProcessResult r = runAfterglow({"--join", joined.string(), second.string(), first.string()}, anywhere);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("drawing"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("joined 2 parts"), std::string::npos) << r.err;
    VideoProbe p = probeVideo(joined);
    ASSERT_EQ(p.streams.size(), 2u);
    EXPECT_EQ(p.streams[0]["codec_name"], "h264");
    EXPECT_EQ(p.streams[0]["color_space"], "bt709");
    EXPECT_EQ(p.streams[1]["sample_rate"], "48000");
    EXPECT_EQ(frameHashes(joined, "v").size(), 4u);
    EXPECT_EQ(p.format.count("tags.comment"), 0u) << "the parts' labels stay with the parts";

    for (const auto& [parts, says] : std::vector<std::pair<std::vector<std::filesystem::path>, std::string>>{
             {{first}, "the capture has 2 parts; missing: 2/2"},
             {{first, first}, "part 1/2 is given twice"},
             {{first, other}, "is not of the same capture as"},
             {{first, notes}, "cannot join \"" + notes.string() + "\": ffprobe failed"},
             {{first, dir / "missing.mp4"}, "missing.mp4"},
         }) {
        const auto out = dir / "wrong.mp4";
        std::vector<std::string> args = {"--join", out.string()};
        for (const auto& part : parts) args.push_back(part.string());
        r = runAfterglow(args);
        EXPECT_EQ(r.exitCode, 1) << says;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string().rfind(".afterglow-", 0), 0u) << "left behind: " << entry.path();
}

}  // namespace
