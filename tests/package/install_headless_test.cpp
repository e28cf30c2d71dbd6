// Installed and packaged copies of the program, run from a working directory
// that has nothing to do with them: they find their own data and draw what
// the build tree draws, and the files the user names land where the user is.
#include <gtest/gtest.h>

#include "support/install_list.h"
#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const char* const kBuildDir = AFTERGLOW_DATA_DIR;
constexpr const char* kShotMs = "60000";  // scene 3: images, shaders and models all show

ProcessResult run(const std::vector<std::string>& argv, const fs::path& workingDir) {
    ProcessOptions options;
    options.workingDir = workingDir.string();
    options.timeoutSec = 240;
    return runProcess(argv, options);
}

// The build tree's own picture to compare with, as ./run would draw it.
std::string referenceShot(const TempDir& scratch) {
    const fs::path file = scratch / "reference.png";
    const ProcessResult r = run({AFTERGLOW_BINARY, "--shot", kShotMs, file.string()}, kBuildDir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return fileContents(file);
}

// Runs program with a relative --shot file from a fresh, empty working
// directory; the picture must land there, made from the data in dataDir.
void expectSameShotFromElsewhere(const fs::path& program, const fs::path& dataDir) {
    TempDir elsewhere;
    const ProcessResult r = run({program.string(), "--shot", kShotMs, "out.png"}, elsewhere.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("data from " + dataDir.string()), std::string::npos) << r.err;
    ASSERT_TRUE(fs::exists(elsewhere / "out.png"));
    TempDir scratch;
    EXPECT_TRUE(fileContents(elsewhere / "out.png") == referenceShot(scratch))
        << "the picture differs from the build tree's";
}

TEST(Install, PrefixCopyInTheGamesLayoutRunsFromAnywhereAndDrawsWhatTheBuildDraws) {
    TempDir prefix;
    const ProcessResult install = runProcess({AFTERGLOW_CMAKE, "--install", kBuildDir, "--prefix", prefix.path().string()});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;

    // What docs/install.md says is installed, and nothing else: not the package's
    // own files (lintian's overrides), nor the tools and benchmarks.
    std::vector<std::string> installed;
    for (const auto& entry : fs::recursive_directory_iterator(prefix.path()))
        if (!entry.is_directory()) installed.push_back(fs::relative(entry.path(), prefix.path()).string());
    const InstallList documented = documentedInstallList();
    ASSERT_GE(documented.patterns.size(), 10u) << "docs/install.md's list of installed files is not found";
    EXPECT_EQ(documented.unclaimed(installed), std::vector<std::string>{})
        << "installed, but not in docs/install.md's list";
    EXPECT_EQ(documented.missing(installed), std::vector<std::string>{})
        << "in docs/install.md's list, but not installed";
    for (const char* part : {"share/games/afterglow/demo.mp3", "share/games/afterglow/Textures/logo.jpg",
                             "share/games/afterglow/shaders/phong.ps", "share/games/afterglow/models/pallo.ASE"})
        EXPECT_TRUE(fs::is_regular_file(prefix / part)) << part;
    // Only the data: nothing else the build leaves beside the executable.
    EXPECT_FALSE(fs::exists(prefix / "share/games/afterglow/contact-sheet.png"));

    // The desktop entry passes the freedesktop checks and its icons are
    // there at every size, round marks with a transparent surround.
    const fs::path entry = prefix / "share/applications/afterglow.desktop";
    const ProcessResult valid = runProcess({"/usr/bin/desktop-file-validate", entry.string()});
    EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
    EXPECT_NE(fileContents(entry).find("\nIcon=afterglow\n"), std::string::npos);
    for (int size : {48, 64, 128, 256}) {
        const fs::path file = prefix / ("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                                        "/apps/afterglow.png");
        int width = 0, height = 0;
        std::vector<uint8_t> alpha;
        std::string error;
        ASSERT_TRUE(readPngAlpha(file.string(), width, height, alpha, error)) << error;
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
        EXPECT_EQ(alpha.front(), 0) << size << ": the corners are transparent";
        EXPECT_EQ(alpha[static_cast<size_t>(size / 2) * size + size / 2], 255) << size << ": the mark is opaque";
        const RgbImage icon = pngImage(file.string());
        EXPECT_GT(icon.maxInRows(size * 15 / 32, size * 17 / 32), 200) << size << ": the glowing core of the mark";
    }

    expectSameShotFromElsewhere(prefix / "games/afterglow", prefix / "share/games/afterglow");
}

TEST(Package, PortableArchiveRunsInPlaceBesideItsData) {
    TempDir out;
    const ProcessResult pack = run({AFTERGLOW_CPACK, "-G", "TGZ", "-B", out.path().string()}, kBuildDir);
    ASSERT_EQ(pack.exitCode, 0) << pack.out << pack.err;
    fs::path archive;
    for (const auto& entry : fs::directory_iterator(out.path()))
        if (entry.path().string().ends_with(".tar.gz")) archive = entry.path();
    ASSERT_FALSE(archive.empty()) << pack.out;

    TempDir unpacked;
    const ProcessResult untar = runProcess({"/usr/bin/tar", "-xzf", archive.string(), "-C", unpacked.path().string()});
    ASSERT_EQ(untar.exitCode, 0) << untar.err;
    const fs::path folder = unpacked / archive.filename().string().substr(0, archive.filename().string().size() - 7);
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const char* part : {"afterglow", "afterglow-inspect", "afterglow-render-farm", "demo.mp3", "Textures",
                             "shaders", "models", "README.md", "LICENSE", "docs/manual.md"})
        EXPECT_TRUE(fs::exists(folder / part)) << part;
    EXPECT_FALSE(fs::exists(folder / "bin")) << "the portable folder keeps the program beside its data";

    expectSameShotFromElsewhere(folder / "afterglow", folder);
}

}  // namespace
