// Installed and packaged copies of the program, run from a working directory
// that has nothing to do with them: they find their own data and draw what
// the build tree draws, and the files the user names land where the user is.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/png_read.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const char* const kBuildDir = AFTERGLOW_DATA_DIR;
constexpr const char* kShotMs = "60000";  // scene 3: images, shaders and models all show

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

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
    return fileBytes(file);
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
    EXPECT_TRUE(fileBytes(elsewhere / "out.png") == referenceShot(scratch)) << "the picture differs from the build tree's";
}

TEST(Install, PrefixCopyRunsFromAnywhereAndDrawsWhatTheBuildDraws) {
    TempDir prefix;
    const ProcessResult install = runProcess({AFTERGLOW_CMAKE, "--install", kBuildDir, "--prefix", prefix.path().string()});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;

    for (const char* part :
         {"bin/afterglow", "bin/afterglow-inspect", "bin/afterglow-render-farm", "share/afterglow/demo.mp3",
          "share/afterglow/Textures/logo.jpg", "share/afterglow/shaders/phong.ps", "share/afterglow/models/pallo.ASE",
          "share/man/man6/afterglow.6"})
        EXPECT_TRUE(fs::is_regular_file(prefix / part)) << part;
    // Only the data: nothing else the build leaves beside the executable.
    EXPECT_FALSE(fs::exists(prefix / "share/afterglow/contact-sheet.png"));
    EXPECT_FALSE(fs::exists(prefix / "bin/pass-bench"));

    // The desktop entry passes the freedesktop checks and its icon is there.
    const fs::path entry = prefix / "share/applications/afterglow.desktop";
    const ProcessResult valid = runProcess({"/usr/bin/desktop-file-validate", entry.string()});
    EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
    EXPECT_NE(fileBytes(entry).find("\nIcon=afterglow\n"), std::string::npos);
    RgbImage icon;
    std::string error;
    ASSERT_TRUE(readPngRgb((prefix / "share/icons/hicolor/256x256/apps/afterglow.png").string(), icon, error)) << error;
    EXPECT_EQ(icon.width, 256);
    EXPECT_EQ(icon.height, 256);
    EXPECT_GT(icon.maxInRows(120, 136), 200) << "the glowing core of the mark";

    expectSameShotFromElsewhere(prefix / "bin/afterglow", prefix / "share/afterglow");
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
    for (const char* part :
         {"afterglow", "afterglow-inspect", "afterglow-render-farm", "demo.mp3", "Textures", "shaders", "models"})
        EXPECT_TRUE(fs::exists(folder / part)) << part;
    EXPECT_FALSE(fs::exists(folder / "bin")) << "the portable folder keeps the program beside its data";

    expectSameShotFromElsewhere(folder / "afterglow", folder);
}

}  // namespace
