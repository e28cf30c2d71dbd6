// Start-up with too little memory for one of the files: the file is named
// and left out, as a damaged one would be, and the show goes on.
#include <gtest/gtest.h>

#include <jpeglib.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"
#include "support/program.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuildDir = AFTERGLOW_DATA_DIR;

// The largest image the decoder takes, 8192 x 8192 (256 MiB as RGBA), in a
// file of a megabyte: grey throughout.
void writeHugeJpeg(const fs::path& path) {
    constexpr int kSide = 8192;
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    jpeg_stdio_dest(&jpeg, file);
    jpeg.image_width = kSide;
    jpeg.image_height = kSide;
    jpeg.input_components = 1;
    jpeg.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&jpeg);
    jpeg_start_compress(&jpeg, TRUE);
    std::vector<JSAMPLE> row(kSide, 128);
    JSAMPROW rows[] = {row.data()};
    while (jpeg.next_scanline < kSide) jpeg_write_scanlines(&jpeg, rows, 1);
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    std::fclose(file);
}

// The most address space the program took for args, as /proc says while it
// runs (VmPeak, in bytes).
long long peakAddressSpace(const std::vector<std::string>& args, const ProcessOptions& options) {
    long long peak = 0;
    auto watch = [](int pid, void* data) {
        const std::string status = "/proc/" + std::to_string(pid) + "/status";
        while (!childHasEnded(pid)) {
            std::ifstream in(status);
            for (std::string line; std::getline(in, line);)
                if (line.rfind("VmPeak:", 0) == 0) *static_cast<long long*>(data) = std::stoll(line.substr(7)) * 1024;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    const ProcessResult r = afterglow(args, options, watch, &peak);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return peak;
}

// The address space is held to what a shot and the show take with the
// data as built, with room to spare for all but an image of 256 MiB, which
// the copy of the data here has in place of the credits.
TEST(LowMemory, AnImageThereIsNoMemoryForIsNamedAndTheShowGoesOn) {
    TempDir here;
    for (const char* link : {"demo.mp3", "shaders", "models"}) fs::create_symlink(kBuildDir / link, here / link);
    fs::create_directory(here / "Textures");
    for (const auto& image : fs::directory_iterator(kBuildDir / "Textures"))
        if (image.path().filename() != "credits.jpg")
            fs::create_symlink(image.path(), here / "Textures" / image.path().filename());
    writeHugeJpeg(here / "Textures/credits.jpg");

    // Ordinary pages: no address space reserved for huge ones.
    const std::vector<std::string> env = {"GLIBC_TUNABLES=glibc.malloc.hugetlb=0"};
    const std::vector<std::vector<std::string>> runs = {{"--windowed", "--shot", "100000", (here / "a.png").string()},
                                                        {"--windowed", "--start", "242500"}};
    for (const std::vector<std::string>& args : runs) {
        const long long enough = peakAddressSpace(args, within(120, kBuildDir.string(), env));
        ProcessOptions limited = within(120, here.path().string(), env);
        limited.setEnv.push_back("AFTERGLOW_DATA_DIR=" + here.path().string());
        limited.addressSpaceBytes = enough + (96 << 20);
        const ProcessResult r = afterglow(args, limited);
        EXPECT_EQ(r.signal, 0) << args[1];
        EXPECT_EQ(r.exitCode, 0) << args[1] << "\n" << r.err;
        EXPECT_EQ(countOf(r.err,
                          "afterglow: Textures/credits.jpg: not enough memory to read it; the texture stays "
                          "empty\n"),
                  1u)
            << r.err;
    }
}

}  // namespace
