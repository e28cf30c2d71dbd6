// The generated demo.mp3 as the program and the viewer get it: its length,
// an audible onset on every sync event and on the beats, the low band the
// scenes pulse with, its loudness and energy curve, and the picture of the
// track.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <initializer_list>
#include <regex>
#include <sstream>
#include <string>

#include "music_report.h"
#include "runtime/audio/mp3_decode.h"
#include "runtime/timeline/timeline.h"
#include "score.h"
#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "synth/dsp.h"

#include <unistd.h>

namespace {

const std::string kDemoMp3 = std::string(AFTERGLOW_DATA_DIR) + "/demo.mp3";

// Onsets from the rise of high-frequency energy (above 4 kHz), where every
// drum hit, cymbal and attack shows and the bass's slow swings do not. One
// value per millisecond: how many dB the next 2 ms are above the 10 ms
// before them.
class OnsetDetector {
public:
    explicit OnsetDetector(std::span<const float> stereo, int rate) : rate_(rate) {
        synth::Svf high;
        high.set(4000.0, 0.0);
        const long long frames = static_cast<long long>(stereo.size() / 2);
        double sum = 0.0;
        long long nextHop = frameOfMs(1);
        for (long long i = 0; i < frames; ++i) {
            if (i == nextHop) {
                energy_.push_back(sum);
                sum = 0.0;
                nextHop = frameOfMs(static_cast<long long>(energy_.size()) + 1);
            }
            const float h = high.highpass(0.5f * (stereo[2 * i] + stereo[2 * i + 1]));
            sum += h * h;
        }
    }

    double strengthAt(long long ms) const {
        constexpr long long kAfter = 2, kBefore = 10, kGap = 2;
        if (ms < kBefore + kGap || ms + kAfter >= static_cast<long long>(energy_.size())) return 0.0;
        double before = 0.0, after = 0.0;
        for (long long h = ms - kGap - kBefore; h < ms - kGap; ++h) before += energy_[h];
        for (long long h = ms; h < ms + kAfter; ++h) after += energy_[h];
        return 10.0 * std::log10((after / kAfter + 1e-12) / (before / kBefore + 1e-12));
    }

    // How many dB the afterMs after a time lie above the beforeMs before it:
    // whether an event stands out of what led into it, not only its first
    // milliseconds.
    double riseDb(long long ms, long long afterMs, long long beforeMs) const {
        auto mean = [this](long long from, long long to) {
            double sum = 0.0;
            for (long long h = std::max(0LL, from); h < std::min<long long>(to, energy_.size()); ++h) sum += energy_[h];
            return sum / static_cast<double>(to - from) + 1e-12;
        };
        return 10.0 * std::log10(mean(ms, ms + afterMs) / mean(ms - beforeMs, ms));
    }

    // The strongest onset within ±tolerance of a time, and where it is.
    std::pair<double, long long> strongestNear(double ms, double toleranceMs) const {
        std::pair<double, long long> best{-100.0, 0};
        for (long long t = std::llround(ms - toleranceMs); t <= std::llround(ms + toleranceMs); ++t)
            best = std::max(best, {strengthAt(t), t});
        return best;
    }

private:
    // Millisecond hops start on the frame nearest to each whole millisecond
    // (44.1 frames each), so the index never drifts from music time.
    long long frameOfMs(long long ms) const { return std::llround(ms * rate_ / 1000.0); }
    int rate_;
    std::vector<double> energy_;  // per millisecond
};

// On this music the sync events rise by 8 dB or more and nearly all beats
// of the drum sections by 6 dB or more, while the points halfway between
// two sixteenths stay under 5 dB in 99 % of cases.
constexpr double kStrongDb = 6.0;  // an onset you hear as a hit
constexpr double kBeatDb = 5.0;

class DemoMusic : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        music = new DecodedMusic(decodeMp3(kDemoMp3));
        if (music->error.empty()) onsets = new OnsetDetector(music->samples, music->sampleRate);
    }
    static void TearDownTestSuite() {
        delete onsets;
        delete music;
        onsets = nullptr;
        music = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(music->error.empty()) << kDemoMp3 << ": " << music->error; }
    static DecodedMusic* music;
    static OnsetDetector* onsets;
};
DecodedMusic* DemoMusic::music = nullptr;
OnsetDetector* DemoMusic::onsets = nullptr;

TEST_F(DemoMusic, PlaysPastTheEndOfThePresentationAtTheRightRate) {
    EXPECT_EQ(music->sampleRate, 44100);
    EXPECT_GE(music->lengthMs(), 245000.0);
    EXPECT_LT(music->lengthMs(), 250000.0);
    // The last chord has faded by the end of the file: no click there.
    const long long last = music->frames() - 1;
    EXPECT_LT(std::fabs(music->samples[2 * last]), 0.01f);
}

TEST_F(DemoMusic, EverySyncEventIsAStrongOnsetOnItsMillisecond) {
    double weakest = 100.0;
    int weakestAt = 0;
    auto check = [&](const int* table, int count, const char* name) {
        for (int i = 0; i < count - 1 && table[i] < kPresentationEndMs; ++i) {
            const auto [strength, at] = onsets->strongestNear(table[i], 10.0);
            if (strength < weakest) weakest = strength, weakestAt = table[i];
            EXPECT_GE(strength, kStrongDb) << name << " event at " << table[i] << " ms";
            // Nothing stronger a little before or after pulls the ear away.
            const auto [wider, widerAt] = onsets->strongestNear(table[i], 40.0);
            EXPECT_NEAR(static_cast<double>(widerAt), table[i], 10.0)
                << name << " event at " << table[i] << " ms: a stronger onset at " << widerAt << " ms (" << wider
                << " dB against " << strength << " dB)";
        }
    };
    check(syncTrackA, kTrackACount, "A");
    check(syncTrackB, kTrackBCount, "B");
    std::printf("weakest sync onset: %.1f dB at %d ms\n", weakest, weakestAt);
}

// A swell or a cymbal's wash that runs into an event hides it even where
// its first milliseconds rise: the 60 ms after it must stand out of the
// 100 ms before.
TEST_F(DemoMusic, EverySyncEventStandsOutOfWhatLedIntoIt) {
    double weakest = 100.0;
    int weakestAt = 0;
    for (const int* table : {syncTrackA, syncTrackB}) {
        const int count = table == syncTrackA ? kTrackACount : kTrackBCount;
        for (int i = 0; i < count - 1 && table[i] < kPresentationEndMs; ++i) {
            const double rise = onsets->riseDb(table[i], 60, 100);
            if (rise < weakest) weakest = rise, weakestAt = table[i];
            EXPECT_GE(rise, kStrongDb) << (table == syncTrackA ? "A" : "B") << " event at " << table[i] << " ms";
        }
    }
    std::printf("weakest rise over the 100 ms before an event: %.1f dB at %d ms\n", weakest, weakestAt);
}

// The report's measure of a hit on the file the viewer hears. In the dense
// stretches (the climax above all) an accent is heard only where the mix
// makes room for it, which the 4 kHz energy above does not tell.
TEST_F(DemoMusic, EverySyncEventIsAHitByTheReportsMeasure) {
    int events = 0;
    for (const auto& [table, count] : {std::pair{syncTrackA, kTrackACount}, {syncTrackB, kTrackBCount}})
        for (int i = 0; i < count - 1 && table[i] < kPresentationEndMs; ++i) ++events;
    std::vector<EventAttack> attacks = eventAttacks(music->samples, music->sampleRate);
    ASSERT_EQ(attacks.size(), static_cast<size_t>(events));
    for (const EventAttack& a : attacks) EXPECT_GE(a.riseDb, kHitDb) << a.table << " event at " << a.ms << " ms";
    std::sort(attacks.begin(), attacks.end(),
              [](const EventAttack& a, const EventAttack& b) { return a.riseDb < b.riseDb; });
    std::printf("%d events; the weakest hit: %.1f dB at %c %d ms\n", events, attacks[0].riseDb, attacks[0].table,
                attacks[0].ms);
}

bool nearAnEvent(double ms, double beforeMs, double afterMs) {
    for (const int* table : {syncTrackA, syncTrackB}) {
        const int count = table == syncTrackA ? kTrackACount : kTrackBCount;
        for (int i = 0; i < count - 1; ++i)
            if (ms > table[i] - beforeMs && ms < table[i] + afterMs) return true;
    }
    return false;
}

TEST_F(DemoMusic, DrumSectionsPlayOnTheBeatGrid) {
    int sections = 0;
    for (const Section& s : arrangement()) {
        if (s.kick != KickPattern::FourOnTheFloor) continue;
        ++sections;
        int beats = 0, heard = 0, between = 0, heardBetween = 0;
        const double period = beatGrid.periodMs;
        for (double beat = std::ceil(s.startMs / period); beatGrid.originMs + beat * period < s.endMs; ++beat) {
            const double ms = beatGrid.originMs + beat * period;
            // Around a sync event the accent speaks instead of the beat, and
            // its cymbal's wash hides the next beat's attack from the highs.
            if (nearAnEvent(ms, 100.0, 400.0)) continue;
            ++beats;
            if (onsets->strongestNear(ms, 10.0).first >= kBeatDb) ++heard;
            // Halfway between two sixteenths nothing is played.
            const double offGrid = ms + period * 0.375;
            if (offGrid >= s.endMs) continue;
            ++between;
            if (onsets->strongestNear(offGrid, 10.0).first >= kBeatDb) ++heardBetween;
        }
        std::printf("%-10s %3d of %3d beats heard, %2d of %3d off-grid points\n", s.name, heard, beats, heardBetween,
                    between);
        EXPECT_EQ(heard, beats) << s.name << ": " << heard << " of " << beats << " beats heard";
        EXPECT_LE(heardBetween, between / 10) << s.name << ": " << heardBetween << " onsets off the grid";
    }
    EXPECT_GE(sections, 8);
}

TEST_F(DemoMusic, KickAndBassFeedTheLowBandTheScenesRead) {
    const std::vector<SceneLowBand> scenes = lowBandPerScene(music->samples, music->sampleRate);
    ASSERT_EQ(scenes.size(), static_cast<size_t>(kSceneCount));
    for (const SceneLowBand& s : scenes) {
        std::printf("scene %2d: bins 2-6 mean %.3f, 95th percentile %.3f\n", s.scene, s.mean, s.p95);
        const bool drums = s.scene != 2 && s.scene != 10;
        if (drums) {
            EXPECT_GE(s.mean, 0.25) << "scene " << s.scene;
            // The drop has the heaviest bass: its wave warp follows it.
            if (s.scene == 3) {
                EXPECT_GE(s.mean, 0.3);
            }
            EXPECT_LE(s.p95, 1.2) << "scene " << s.scene;
        } else {
            // The breakdown and the credits let the sky calm down.
            EXPECT_LT(s.mean, 0.15) << "scene " << s.scene;
        }
    }
}

// The full path of a program on PATH, or "" when there is none.
std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(dir) / program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return "";
}

// ffmpeg's EBU R128 meter on demo.mp3: the figures of the whole file and
// the short-term loudness every 100 ms. Measured at most once per run of
// the test program, by the first test that asks.
struct FfmpegLoudness {
    std::string skip;   // why there is nothing to measure with
    std::string error;  // why the measurement failed
    double integrated = 0.0, range = 0.0, truePeak = 0.0;
    std::vector<std::pair<double, double>> shortTerm;  // window end (ms), LUFS

    // The median of the short-term values whose windows lie wholly inside
    // the given scenes.
    double medianIn(std::initializer_list<int> scenes) const {
        std::vector<double> inside;
        for (const auto& [endMs, lufs] : shortTerm)
            for (int k : scenes)
                if (endMs - 3000.0 >= sceneStartMs[k] - 1.0 &&
                    endMs <= std::min(sceneStartMs[k + 1], kPresentationEndMs) + 1.0)
                    inside.push_back(lufs);
        if (inside.empty()) return -200.0;
        std::nth_element(inside.begin(), inside.begin() + inside.size() / 2, inside.end());
        return inside[inside.size() / 2];
    }
};

FfmpegLoudness measureWithFfmpeg() {
    FfmpegLoudness m;
    const std::string ffmpeg = findOnPath("ffmpeg");
    if (ffmpeg.empty()) {
        m.skip = "ffmpeg is not installed (scripts/install-deps installs it)";
        return m;
    }
    const ProcessResult r = runProcess(
        {ffmpeg, "-nostats", "-hide_banner", "-i", kDemoMp3, "-filter_complex", "ebur128=peak=true", "-f", "null", "-"});
    if (r.exitCode != 0) {
        m.error = r.err;
        return m;
    }
    // The figures of the whole file come after the last "Summary:"; before
    // it the filter logs its running values (and an empty summary).
    const size_t summary = r.err.rfind("Summary:");
    if (summary == std::string::npos) {
        m.error = "no summary in: " + r.err;
        return m;
    }
    const std::string log = r.err.substr(summary);
    std::smatch integrated, range, peak;
    if (!std::regex_search(log, integrated, std::regex(R"(I:\s+(-?[0-9.]+) LUFS)")) ||
        !std::regex_search(log, range, std::regex(R"(LRA:\s+(-?[0-9.]+) LU)")) ||
        !std::regex_search(log, peak, std::regex(R"(Peak:\s+(-?[0-9.]+) dBFS)"))) {
        m.error = "unreadable summary: " + log;
        return m;
    }
    m.integrated = std::stod(integrated[1]);
    m.range = std::stod(range[1]);
    m.truePeak = std::stod(peak[1]);
    const std::regex line(R"(t:\s*([0-9.]+)\s+TARGET:\S+ LUFS\s+M:\s*\S+\s+S:\s*(-?[0-9.]+))");
    const std::string running = r.err.substr(0, summary);
    for (auto it = std::sregex_iterator(running.begin(), running.end(), line); it != std::sregex_iterator(); ++it)
        m.shortTerm.emplace_back(1000.0 * std::stod((*it)[1]), std::stod((*it)[2]));
    if (m.shortTerm.size() < 2400) m.error = "only " + std::to_string(m.shortTerm.size()) + " short-term values";
    return m;
}

const FfmpegLoudness& ffmpegLoudness() {
    static const FfmpegLoudness measured = measureWithFfmpeg();
    return measured;
}

// The loudness tests: the decoded music and ffmpeg's figures of it.
class DemoLoudness : public DemoMusic {
protected:
    void SetUp() override {
        DemoMusic::SetUp();
        if (!ffmpegLoudness().skip.empty()) GTEST_SKIP() << ffmpegLoudness().skip;
        ASSERT_TRUE(ffmpegLoudness().error.empty()) << ffmpegLoudness().error;
    }
    const FfmpegLoudness& m = ffmpegLoudness();
};

// The targets of the whole file, and the energy curve: the light scenes
// clearly below the peak ones, the breakdown and the outro the quietest of
// all.
TEST_F(DemoLoudness, LoudnessMeetsTheTargetsAndFollowsTheEnergyCurve) {
    std::printf("demo.mp3: integrated loudness %.1f LUFS, loudness range %.1f LU, true peak %.1f dBTP\n",
                m.integrated, m.range, m.truePeak);
    EXPECT_NEAR(m.integrated, -14.0, 1.0);
    EXPECT_LT(m.truePeak, -1.0);
    // Light and heavy stretches, not one level from start to end.
    EXPECT_GE(m.range, 5.0);

    const double peak = m.medianIn({3, 8, 9});
    std::printf("short-term medians (LUFS), peak scenes 3, 8, 9 together %.1f:", peak);
    for (int k = 0; k < kSceneCount; ++k) std::printf(" %d: %.1f", k, m.medianIn({k}));
    std::printf("\n");
    for (int light : {1, 6}) EXPECT_LE(m.medianIn({light}), peak - 3.0) << "scene " << light;
    for (int quiet : {2, 10})
        for (int k = 0; k < kSceneCount; ++k) {
            if (k == 2 || k == 10) continue;
            EXPECT_LT(m.medianIn({quiet}), m.medianIn({k})) << "scene " << quiet << " against " << k;
        }
}

// The report prints what ffmpeg measures: its meter on the decoded file
// reads the same figures.
TEST_F(DemoLoudness, ReportMeasuresTheLoudnessFfmpegMeasures) {
    const MusicLoudness ours = measureLoudness(music->samples);
    // ffmpeg prints tenths.
    EXPECT_NEAR(ours.integrated, m.integrated, 0.15);
    EXPECT_NEAR(ours.range.lu(), m.range, 0.3);
    EXPECT_NEAR(ours.peakMedian, m.medianIn({3, 8, 9}), 0.15);
    ASSERT_EQ(ours.scenes.size(), static_cast<size_t>(kSceneCount));
    for (const SceneLoudness& s : ours.scenes) EXPECT_NEAR(s.shortTermMedian, m.medianIn({s.scene}), 0.15) << s.scene;
}

// The report resamples to 22.05 kHz itself; ffmpeg's decoder and resampler
// give the same rises from the same file, so the figures do not hang on the
// report's filter.
TEST_F(DemoMusic, ReportMeasuresTheHitsAsFfmpegResamplesThem) {
    const std::string ffmpeg = findOnPath("ffmpeg");
    if (ffmpeg.empty()) GTEST_SKIP() << "ffmpeg is not installed (scripts/install-deps installs it)";
    const ProcessResult r =
        runProcess({ffmpeg, "-v", "error", "-i", kDemoMp3, "-ac", "1", "-ar", "22050", "-f", "f32le", "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<float> mono(r.out.size() / sizeof(float));
    std::memcpy(mono.data(), r.out.data(), mono.size() * sizeof(float));
    // RMS of the first difference over [fromMs, toMs).
    auto rmsOfDifference = [&mono](double fromMs, double toMs) {
        const long long from = std::llround(fromMs * 22.05), to = std::llround(toMs * 22.05);
        double sum = 0.0;
        for (long long n = from; n < to; ++n) sum += std::pow(mono[n] - mono[n - 1], 2.0);
        return std::sqrt(sum / static_cast<double>(to - from));
    };
    const std::vector<EventAttack> ours = eventAttacks(music->samples, music->sampleRate);
    ASSERT_FALSE(ours.empty());
    for (const EventAttack& a : ours) ASSERT_GT(static_cast<double>(mono.size()), (a.ms + 60.0) * 22.05) << "cut short";
    double largest = 0.0;
    for (const EventAttack& a : ours) {
        const double theirs =
            20.0 * std::log10(rmsOfDifference(a.ms, a.ms + 60.0) / rmsOfDifference(a.ms - 120.0, a.ms - 20.0));
        EXPECT_NEAR(a.riseDb, theirs, 0.4) << a.table << " event at " << a.ms << " ms";
        largest = std::max(largest, std::fabs(a.riseDb - theirs));
    }
    std::printf("largest difference from ffmpeg's resampling: %.2f dB\n", largest);
}

TEST_F(DemoMusic, SpectrogramMarksTheTimeline) {
    TempDir dir;
    const std::string path = (dir / "music.png").string();
    std::string error;
    ASSERT_TRUE(writeSpectrogramPng(path, music->samples, music->sampleRate, error)) << error;
    RgbImage image;
    ASSERT_TRUE(readPngRgb(path, image, error)) << error;
    EXPECT_EQ(image.width, static_cast<int>(music->frames() * 10 / music->sampleRate));
    EXPECT_EQ(image.height, 500);
    // A scene start is a white line top to bottom; A events are red at the top.
    const int sceneColumn = sceneStartMs[6] / 100;
    for (int y : {60, 200, 499}) EXPECT_EQ(image.at(sceneColumn, y)[0] + image.at(sceneColumn, y)[1], 510) << y;
    const uint8_t* aMark = image.at(syncTrackA[5] / 100, 10);
    EXPECT_EQ(aMark[0], 255);
    EXPECT_LT(aMark[1], 100);
    // The drop is louder than the breakdown's first second in the picture.
    auto brightness = [&](int x) {
        int sum = 0;
        for (int y = 50; y < 400; ++y) sum += image.at(x, y)[0] + image.at(x, y)[1] + image.at(x, y)[2];
        return sum;
    };
    EXPECT_GT(brightness(600), brightness(515));
}

}  // namespace
