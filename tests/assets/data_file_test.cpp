// The one bounded read of every data file: what it refuses without
// waiting or allocating, and how problems are told once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "assets/data_file.h"
#include "support/temp_dir.h"

namespace {

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(DataFile, OrdinaryFilesAreReadWholeAndMissingOnesSaySo) {
    TempDir dir;
    const std::string text(100000, 'q');
    writeFile(dir / "a.ASE", text);
    writeFile(dir / "empty.ASE", "");
    ByteBuffer bytes;
    ASSERT_TRUE(readDataFile((dir / "a.ASE").c_str(), DataKind::Model, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
    // Through a link, too: only what it points at counts.
    std::filesystem::create_symlink(dir / "a.ASE", dir / "link.ASE");
    ASSERT_TRUE(readDataFile((dir / "link.ASE").c_str(), DataKind::Model, bytes));
    EXPECT_EQ(bytes.size(), text.size());
    ASSERT_TRUE(readDataFile((dir / "empty.ASE").c_str(), DataKind::Model, bytes));
    EXPECT_TRUE(bytes.empty());

    const DataRead missing = readDataFile((dir / "none.ASE").c_str(), DataKind::Model, bytes);
    EXPECT_EQ(missing.status, ReadStatus::Missing);
    EXPECT_EQ(missing.problem, "not found");
    EXPECT_EQ(readDataFile((dir / "a.ASE/below").c_str(), DataKind::Model, bytes).problem, "not found");
    EXPECT_EQ(readDataFile("", DataKind::Model, bytes).status, ReadStatus::Missing);
    EXPECT_EQ(readDataFile(nullptr, DataKind::Model, bytes).status, ReadStatus::Missing);
    // A name too long to open is no missing file: it is named for what it is.
    const DataRead tooLong = readDataFile((dir / std::string(5000, 'x')).c_str(), DataKind::Model, bytes);
    EXPECT_EQ(tooLong.status, ReadStatus::Refused);
    EXPECT_EQ(tooLong.problem, "File name too long");
}

TEST(DataFile, FoldersPipesAndDevicesAreRefusedWithoutWaiting) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe.vs").c_str(), 0600), 0);
    // An endless device behind an ordinary-looking name.
    std::filesystem::create_symlink("/dev/zero", dir / "endless.jpg");
    ByteBuffer bytes;
    const struct {
        std::filesystem::path path;
        const char* problem;
    } cases[] = {
        {dir.path(), "is a folder, not a file"},
        {dir / "pipe.vs", "is a named pipe, not a file"},
        {dir / "endless.jpg", "is a character device, not a file"},
    };
    for (const auto& c : cases) {
        const DataRead r = readDataFile(c.path.c_str(), DataKind::Image, bytes);
        EXPECT_EQ(r.status, ReadStatus::Refused) << c.path;
        EXPECT_EQ(r.problem, c.problem);
        EXPECT_TRUE(bytes.empty());
        DataRead opened;
        EXPECT_EQ(openDataFile(c.path.c_str(), DataKind::Music, opened), -1);
        EXPECT_EQ(opened.problem, c.problem);
    }
}

TEST(DataFile, FilesBeyondTheirKindsLimitAreRefusedBeforeTheyAreRead) {
    TempDir dir;
    // Sparse: a size on paper, no disk.
    const std::string big = (dir / "big.ps").string();
    writeFile(big, "");
    ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(dataFileLimit(DataKind::Shader)) + 1), 0);
    ByteBuffer bytes;
    const DataRead r = readDataFile(big.c_str(), DataKind::Shader, bytes);
    EXPECT_EQ(r.status, ReadStatus::Refused);
    EXPECT_EQ(r.problem, "is 1048577 bytes, more than the 1.0 MiB a shader file may be");
    // The same size is fine for a model.
    EXPECT_TRUE(readDataFile(big.c_str(), DataKind::Model, bytes));
    EXPECT_EQ(bytes.size(), dataFileLimit(DataKind::Shader) + 1);
    EXPECT_GE(dataFileLimit(DataKind::Music), 64u << 20);  // half an hour of MP3
}

TEST(DataFile, EachProblemOfAFileIsToldOnce) {
    testing::internal::CaptureStderr();
    reportFileProblem("models/a.ASE", "not found", "its models stay empty");
    reportFileProblem("models/a.ASE", "not found", "something else");
    reportFileProblem("models/a.ASE", "is empty");
    reportFileProblem("models/b.ASE", "not found");
    noteFileProblemTold("Textures/c.jpg", "not found");
    reportFileProblem("Textures/c.jpg", "not found", "told by a box already");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "afterglow: models/a.ASE: not found; its models stay empty\n"
              "afterglow: models/a.ASE: is empty\n"
              "afterglow: models/b.ASE: not found\n");
}

}  // namespace
