// The data folder must come out byte for byte the same on every build: two
// fresh generations are compared through a list of file hashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "data_folder.h"
#include "mp3_writer.h"
#include "score.h"
#include "support/temp_dir.h"

namespace {

// FNV-1a, 64 bits: enough to tell files apart, and stable everywhere.
uint64_t hashFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    uint64_t h = 14695981039346656037ull;
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
        h ^= static_cast<unsigned char>(*it);
        h *= 1099511628211ull;
    }
    return h;
}

// Relative path -> hash of every file under dir.
std::map<std::string, uint64_t> hashList(const std::filesystem::path& dir) {
    std::map<std::string, uint64_t> list;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) list[std::filesystem::relative(entry.path(), dir).string()] = hashFile(entry.path());
    }
    return list;
}

}  // namespace

TEST(ContentDeterminism, TwoGenerationsGiveTheSameFiles) {
    TempDir first, second;
    std::vector<std::string> expected;
    for (DataGroup group : {DataGroup::Images, DataGroup::Shaders, DataGroup::Models}) {
        std::string error;
        ASSERT_TRUE(writeDataGroup(group, first.path(), error)) << error;
        ASSERT_TRUE(writeDataGroup(group, second.path(), error)) << error;
        for (const std::string& f : dataGroupFiles(group)) expected.push_back(f);
    }
    const auto a = hashList(first.path()), b = hashList(second.path());
    EXPECT_EQ(a, b);
    // Each part writes exactly the files it announces (the build lists them
    // as the outputs of its step).
    std::vector<std::string> written;
    for (const auto& [name, hash] : a) written.push_back(name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
    for (const auto& [name, hash] : a) std::printf("%016llx  %s\n", static_cast<unsigned long long>(hash), name.c_str());
}

// The build reads each part's outputs out of the generator's tables; a table
// written in a way that reading misses would leave a file out of the build's
// list, so that it is not made again when it goes missing.
TEST(ContentDeterminism, TheBuildListsEveryFileThePartsWrite) {
    std::vector<std::string> listed;
    std::istringstream words(AFTERGLOW_BUILD_DATA_FILES);
    for (std::string w; words >> w;) listed.push_back(w);
    std::vector<std::string> written;
    for (DataGroup group : {DataGroup::Images, DataGroup::Shaders, DataGroup::Models})
        for (const std::string& f : dataGroupFiles(group)) written.push_back(f);
    std::sort(listed.begin(), listed.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(listed, written);
}

// The music takes seconds to render, so it is made once here and compared
// with the build's own demo.mp3: the same bytes from a second generation.
TEST(ContentDeterminism, MusicComesOutAsTheBuildMadeIt) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(writeMp3((dir / "demo.mp3").string(), renderScore(), kMusicSampleRate, kMusicKbps, error)) << error;
    const std::filesystem::path built = std::filesystem::path(AFTERGLOW_DATA_DIR) / "demo.mp3";
    ASSERT_TRUE(std::filesystem::exists(built));
    EXPECT_EQ(std::filesystem::file_size(dir / "demo.mp3"), std::filesystem::file_size(built));
    EXPECT_EQ(hashFile(dir / "demo.mp3"), hashFile(built));
}

TEST(ContentDeterminism, UnknownPartsAreRefused) {
    EXPECT_FALSE(dataGroupByName("textures").has_value());
    EXPECT_EQ(dataGroupByName("models"), DataGroup::Models);
}
