#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mp3_writer.h"
#include "runtime/audio/mp3_decode.h"
#include "runtime/audio/music.h"
#include "runtime/audio/music_preload.h"
#include "runtime/report/startup_report.h"
#include "runtime/timeline/timeline.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRate = 44100;

// Two seconds of a 172 Hz tone (bin 4) with a click at exactly 1.0 s.
std::vector<float> testTone() {
    std::vector<float> s(static_cast<size_t>(2 * kRate) * 2);
    for (int i = 0; i < 2 * kRate; ++i) {
        const float v = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * 4 * (44100.0 / 1024) * i / kRate));
        s[2 * i] = v;
        s[2 * i + 1] = v;
    }
    s[2 * kRate] = s[2 * kRate + 1] = 1.0f;
    return s;
}

class Mp3File : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir();
        std::string error;
        ASSERT_TRUE(writeMp3((*dir / "tone.mp3").string(), testTone(), kRate, 192, error)) << error;
    }
    static void TearDownTestSuite() { delete dir; }
    static std::string path() { return (*dir / "tone.mp3").string(); }
    static TempDir* dir;
};
TempDir* Mp3File::dir = nullptr;

TEST_F(Mp3File, DecodesToTheExactLengthAndTiming) {
    const DecodedMusic music = decodeMp3(path());
    ASSERT_TRUE(music.error.empty()) << music.error;
    EXPECT_EQ(music.sampleRate, kRate);
    EXPECT_EQ(music.frames(), 2 * kRate);  // the Info tag makes the length exact
    EXPECT_DOUBLE_EQ(music.lengthMs(), 2000.0);
    // The click stays at 1.0 s: no encoder delay leaks into the clock.
    long long loudest = 0;
    for (long long i = kRate - 2000; i < kRate + 2000; ++i)
        if (std::fabs(music.samples[2 * i] - music.samples[2 * (i - 1)]) >
            std::fabs(music.samples[2 * loudest] - music.samples[2 * (loudest - 1)]))
            loudest = i;
    EXPECT_NEAR(static_cast<double>(loudest), kRate, 3.0);
}

TEST_F(Mp3File, TruncatedFilesKeepWhatDecodedAndSaySoAndGarbageIsRefused) {
    std::ifstream in(path(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string half = (*dir / "half.mp3").string();
    std::ofstream(half, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
    const DecodedMusic partial = decodeMp3(half);
    EXPECT_TRUE(partial.error.empty()) << partial.error;
    EXPECT_GT(partial.frames(), kRate / 2);
    EXPECT_LT(partial.frames(), 2 * kRate);
    // The header announced two seconds: the cut is no secret.
    EXPECT_NE(partial.warning.find("ends after 1.0 s of the 2.0 s"), std::string::npos) << partial.warning;
    EXPECT_NE(partial.warning.find("cut short"), std::string::npos) << partial.warning;
    EXPECT_TRUE(decodeMp3(path()).warning.empty());

    const std::string junk = (*dir / "junk.mp3").string();
    std::ofstream(junk, std::ios::binary) << std::string(10000, 'x');
    const DecodedMusic bad = decodeMp3(junk);
    EXPECT_FALSE(bad.error.empty());
    EXPECT_TRUE(bad.samples.empty());

    const DecodedMusic missing = decodeMp3((*dir / "nothing-here.mp3").string());
    EXPECT_EQ(missing.error, "not found");

    // Neither a folder nor a pipe reaches the decoder, which would wait on a pipe.
    EXPECT_EQ(decodeMp3(dir->path().string()).error, "is a folder, not a file");
    const std::string pipe = (*dir / "pipe.mp3").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(decodeMp3(pipe).error, "is a named pipe, not a file");
}

// The offline runs move the clock themselves (the replay's fixed frame
// clock); the music gives the spectrum of the file wherever it is, and
// seeks land inside the music as the mouse's do.
TEST_F(Mp3File, OfflineModeGivesTheSpectrumWhereTheClockIsMoved) {
    MusicConfig config;
    config.path = path();
    config.mode = ClockMode::Offline;
    config.startMs = 500.0;
    startMusic(config);
    EXPECT_EQ(musicTimeMs, 500.0f);
    EXPECT_EQ(musicClockMode(), ClockMode::Offline);

    advanceClock(500.0f, 20.0f);
    refreshSpectrum();
    EXPECT_GT(spectrumBins[4], 0.25f);  // the tone, as it sounds at 0.5 s
    advanceClock(520.0f, 20.0f);
    EXPECT_EQ(previousTimeMs, 500.0f);
    EXPECT_EQ(frameDeltaMs, 20.0f);

    seekMusic(1000.0f);
    EXPECT_EQ(musicTimeMs, 1520.0f);
    seekMusic(-1000.0f);
    seekMusic(-1000.0f);  // past the start: clamped to 0
    EXPECT_EQ(musicTimeMs, 0.0f);
}

TEST(Music, MissingFileRunsSilentlyOnTheSteadyClock) {
    TempDir dir;
    MusicConfig config;
    config.path = (dir / "demo.mp3").string();
    config.mode = ClockMode::Audio;
    config.startMs = 1000.0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(startMusic(config), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("demo.mp3"), std::string::npos) << said;
    EXPECT_NE(said.find("not found"), std::string::npos) << said;
    EXPECT_EQ(musicClockMode(), ClockMode::Steady);

    updateMusicClock();
    const float first = musicTimeMs;
    EXPECT_GE(first, 1000.0f);
    EXPECT_LT(frameDeltaMs, 1000.0f);
    for (int i = 0; i < 3; ++i) updateMusicClock();
    EXPECT_GE(musicTimeMs, first);  // it moves on by itself
    for (int b = 0; b < kSpectrumSize; ++b) ASSERT_EQ(spectrumBins[b], 0.0f);
    seekMusic(-5000.0f);
    EXPECT_EQ(musicTimeMs, 0.0f);
}

// The decode on a worker thread, as main starts it: the music start takes
// the worker's result when it decodes the same file, and decodes by itself
// otherwise.
TEST_F(Mp3File, WorkerHandsOverTheSameMusicOnceAndLeavesOtherFilesAlone) {
    const DecodedMusic direct = decodeMp3(path());
    ASSERT_TRUE(direct.error.empty()) << direct.error;

    beginMusicDecode(path());
    const DecodedMusic fromWorker = takeDecodedMusic(path());
    EXPECT_TRUE(fromWorker.error.empty()) << fromWorker.error;
    EXPECT_EQ(fromWorker.sampleRate, direct.sampleRate);
    EXPECT_EQ(fromWorker.samples, direct.samples);
    EXPECT_GE(startupReport().decodeMs, 0.0) << "the worker's time goes to the start-up report";
    // Taken once: a second music start decodes for itself.
    EXPECT_EQ(takeDecodedMusic(path()).samples.size(), direct.samples.size());

    const std::string junk = (*dir / "junk-for-worker.mp3").string();
    std::ofstream(junk, std::ios::binary) << std::string(5000, 'x');
    beginMusicDecode(junk);
    const DecodedMusic tone = takeDecodedMusic(path());  // not the worker's file
    EXPECT_TRUE(tone.error.empty()) << tone.error;
    EXPECT_EQ(tone.samples.size(), direct.samples.size());
    const DecodedMusic bad = takeDecodedMusic(junk);  // the worker's, waited for
    EXPECT_FALSE(bad.error.empty());
    EXPECT_TRUE(bad.samples.empty());
}

// Playback starts from the worker's first seconds: what it publishes is
// final, lies where the whole will lie, and the whole is what a decode in
// one piece gives.
TEST_F(Mp3File, TheWorkerPublishesItsDecodeInTheBufferItHandsOver) {
    const DecodedMusic direct = decodeMp3(path());
    ASSERT_TRUE(direct.error.empty()) << direct.error;

    DecodeProgress progress;
    const DecodedMusic published = decodeMp3(path(), nullptr, &progress);
    ASSERT_NE(progress.base.load(), nullptr) << "the Info tag gives the length: the buffer is reserved at once";
    EXPECT_EQ(progress.base.load(), published.samples.data()) << "the published buffer never moved";
    EXPECT_EQ(progress.frames.load(), published.frames());
    EXPECT_EQ(progress.sampleRate.load(), kRate);
    EXPECT_EQ(published.samples, direct.samples);

    beginMusicDecode(path());
    ASSERT_TRUE(musicDecoding(path()));
    EXPECT_FALSE(musicDecoding(path() + ".other"));
    const MusicSoFar first = waitForMusic(500.0);
    ASSERT_TRUE(first.complete || first.frames >= kRate / 2) << first.frames;
    ASSERT_NE(first.samples, nullptr);
    const std::vector<float> seen(first.samples, first.samples + 2 * first.frames);
    const DecodedMusic whole = takeDecodedMusic(path());
    EXPECT_EQ(whole.samples, direct.samples);
    EXPECT_EQ(whole.samples.data(), first.samples) << "what was played from is the whole's buffer";
    EXPECT_TRUE(std::equal(seen.begin(), seen.end(), direct.samples.begin()));
    releaseMusicSoFar();
    EXPECT_FALSE(musicDecoding(path()));
}

// The MPEG-1 layer III frames of an MP3 file written by writeMp3, without
// its first, which carries the Info tag (its length would cut a longer
// stream short).
std::vector<std::string> audioFrames(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    static const int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kRates[4] = {44100, 48000, 32000, 0};
    std::vector<std::string> frames;
    for (size_t at = 0; at + 4 <= bytes.size();) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
        const int kbps = kKbps[byte(2) >> 4], rate = kRates[(byte(2) >> 2) & 3];
        if (byte(0) != 0xFF || (byte(1) & 0xFE) != 0xFA || kbps == 0 || rate == 0) break;
        const size_t length = static_cast<size_t>(144000 * kbps / rate + ((byte(2) >> 1) & 1));
        frames.push_back(bytes.substr(at, length));
        at += length;
    }
    if (!frames.empty()) frames.erase(frames.begin());
    return frames;
}

// A valid track far longer than the show (2000 s): decoded as far as the
// show plays, without a word, and no further.
TEST_F(Mp3File, ATrackLongerThanTheShowIsDecodedAsFarAsItPlays) {
    std::string error;
    const std::string tone = (*dir / "tone-32k.mp3").string();
    ASSERT_TRUE(writeMp3(tone, testTone(), kRate, 32, error)) << error;
    const std::vector<std::string> frames = audioFrames(tone);
    ASSERT_GT(frames.size(), 70u);
    const std::string path = (*dir / "long.mp3").string();
    {
        std::ofstream out(path, std::ios::binary);
        for (int copy = 0; copy < 1000; ++copy)
            for (const std::string& frame : frames) out << frame;
    }
    const DecodedMusic music = decodeMp3(path);
    EXPECT_EQ(music.error, "");
    EXPECT_EQ(music.warning, "");
    EXPECT_GT(music.lengthMs(), kPresentationEndMs);
    EXPECT_LT(music.lengthMs(), kPresentationEndMs + 5000.0);
}

// Memory that runs out during the decode (the music's buffer, some 80 MiB,
// in a child whose address space is held to what it has now and a little):
// a reason like any other, never an abort.
TEST(Music, ADecodeWithoutMemoryForTheMusicGivesUpWithAReason) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmSize:", 0) != 0) continue;
            const rlim_t bytes = std::stoull(line.substr(7)) * 1024 + (32 << 20);
            const rlimit limit = {bytes, bytes};
            setrlimit(RLIMIT_AS, &limit);
        }
        const DecodedMusic music = decodeMp3(std::string(AFTERGLOW_DATA_DIR) + "/demo.mp3");
        std::fprintf(stderr, "%s\n", music.error.c_str());
        _exit(music.error.rfind("not enough memory for its ", 0) == 0 && music.samples.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Mp3File, AStoppedDecodeGivesUpWithAReason) {
    const std::atomic<bool> stop{true};
    const DecodedMusic music = decodeMp3(path(), &stop);
    EXPECT_TRUE(music.samples.empty());
    EXPECT_FALSE(music.error.empty());
}

// A missing or undecodable file that the worker was decoding: said once,
// by the music start, with the reason, and the clock runs silently.
TEST(Music, BadFileFromTheWorkerIsReportedOnceAndPlaysSilently) {
    TempDir dir;
    std::ofstream(dir / "garbage.mp3", std::ios::binary) << std::string(20000, '\x55');
    for (const char* name : {"missing.mp3", "garbage.mp3"}) {
        MusicConfig config;
        config.path = (dir / name).string();
        config.mode = ClockMode::Audio;
        beginMusicDecode(config.path);
        testing::internal::CaptureStderr();
        EXPECT_EQ(startMusic(config), 1);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find(name), said.rfind(name)) << said;
        EXPECT_NE(said.find(name), std::string::npos) << said;
        EXPECT_NE(said.find("runs silently"), std::string::npos) << said;
        EXPECT_EQ(musicClockMode(), ClockMode::Steady) << name;
        updateMusicClock();
        EXPECT_GE(musicTimeMs, 0.0f);
    }
}

}  // namespace
