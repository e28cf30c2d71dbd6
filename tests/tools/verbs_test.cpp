// afterglow-inspect: JPEG files, models, shapes and the scene table shown
// the way the program reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg_writer.h"
#include "runtime/timeline/timeline.h"
#include "support/ase_files.h"
#include "support/jpeg_support.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

ProcessResult inspect(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {AFTERGLOW_INSPECT_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

bool readPpm(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic >> width >> height >> maxValue) || magic != "P6" || maxValue != 255) return false;
    in.get();
    rgb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return rgb.size() == static_cast<size_t>(width) * height * 3;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

ProcessResult inspect(const std::string& in, const std::string& out) {
    return runProcess({AFTERGLOW_INSPECT_BINARY, "jpeg", in, out});
}

TEST(InspectJpeg, WritesTheDecodedPixelsAsPpm) {
    TempDir dir;
    struct Case {
        int width, height, channels;
        JpegSampling sampling;
        int restartRows;
    };
    const Case cases[] = {{1, 1, 1, JpegSampling::S444, 0},
                          {333, 201, 3, JpegSampling::S420, 1},
                          {7, 9, 3, JpegSampling::S422, 0},
                          {40, 24, 3, JpegSampling::S444, 1}};
    for (const Case& c : cases) {
        JpegWriteOptions o;
        o.sampling = c.sampling;
        o.restartRows = c.restartRows;
        std::string error;
        const std::vector<uint8_t> file =
            encodeJpeg(jpegTestPattern(c.width, c.height, c.channels).data(), c.width, c.height, c.channels, o, error);
        writeBytes((dir / "in.jpg").string(), file);
        const ProcessResult r = inspect((dir / "in.jpg").string(), (dir / "out.ppm").string());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        int width = 0, height = 0;
        std::vector<uint8_t> ours, theirs;
        ASSERT_TRUE(readPpm((dir / "out.ppm").string(), width, height, ours));
        int w = 0, h = 0;
        ASSERT_TRUE(decodeWithLibjpegFloat(file, w, h, theirs, error)) << error;
        ASSERT_EQ(width, w);
        ASSERT_EQ(height, h);
        int worst = 0;
        for (size_t i = 0; i < ours.size(); ++i) worst = std::max(worst, std::abs(ours[i] - theirs[i]));
        EXPECT_LE(worst, c.channels == 1 ? 1 : 4) << c.width << "x" << c.height;
    }
}

TEST(InspectJpeg, RefusesWithOneLineAndSurvivesDamage) {
    TempDir dir;
    JpegWriteOptions progressive;
    progressive.progressive = true;
    std::string error;
    const std::vector<uint8_t> pattern = jpegTestPattern(64, 64, 3);
    writeBytes((dir / "progressive.jpg").string(), encodeJpeg(pattern.data(), 64, 64, 3, progressive, error));
    ProcessResult r = inspect((dir / "progressive.jpg").string(), (dir / "out.ppm").string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("progressive"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;

    r = inspect((dir / "absent.jpg").string(), (dir / "out.ppm").string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(runProcess({AFTERGLOW_INSPECT_BINARY, "jpeg", "only-one"}).exitCode, 2);

    const std::vector<uint8_t> file = encodeJpeg(pattern.data(), 64, 64, 3, JpegWriteOptions{}, error);
    std::vector<uint8_t> truncated(file.begin(), file.begin() + file.size() / 2);
    std::vector<uint8_t> flipped = file;
    for (size_t i = 200; i < flipped.size(); i += 97) flipped[i] ^= 0x5A;
    for (const auto& damaged : {truncated, flipped}) {
        writeBytes((dir / "damaged.jpg").string(), damaged);
        r = inspect((dir / "damaged.jpg").string(), (dir / "out.ppm").string());
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.exitCode << r.err;
    }
}

TEST(InspectAse, ListsMeshesWithStoredVerticesAndFaces) {
    TempDir dir;
    writeTextFile(dir / "m.ASE",
                  "*MATERIAL_LIST {\n*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*BITMAP \"C:\\x\\a.jpg\"\n}\n}\n" +
                      geomObject("\"Box 01\"", "\t*TM_POS 10 20 30\n",
                                 "*MESH_NUMVERTEX 2\n*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n"
                                 "*MESH_VERTEX 0 11 22 33\n*MESH_VERTEX 1 10.125 20 30.0000001\n}\n"
                                 "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 1 B: 0 C: 5 AB: 1\n}\n",
                                 "\t*MATERIAL_REF 0\n") +
                      geomObject("\"b\"", "", "", "\t*MATERIAL_REF 4\n"));
    const ProcessResult r = inspect({"ase", (dir / "m.ASE").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Node names keep their quotes but are cut at the first blank, as read;
    // without a texture manager no bitmap is loaded.
    EXPECT_EQ(r.out,
              "mesh 0 name=\"Box vertices=2 faces=1 tverts=0 material=0 texture=-1\n"
              "v 1 3 -2\n"
              "v 0.125 0 0\n"
              "f 1 0 5\n"
              "mesh 1 name=\"b\" vertices=0 faces=0 tverts=0 material=4 texture=-1\n");
    EXPECT_NE(r.err.find("loading geomObjectloading geomObjectmodel loaded"), std::string::npos);
}

TEST(InspectAse, RefusesWhatItCannotRead) {
    EXPECT_EQ(inspect({"ase", "/nonexistent/model.ASE"}).exitCode, 1);
    EXPECT_EQ(inspect({"ase"}).exitCode, 2);
    EXPECT_EQ(inspect({"ase", "a", "b"}).exitCode, 2);
}

TEST(InspectShape, EvaluatesTheChosenShape) {
    TempDir dir;
    writeTextFile(dir / "s.ase",
                  "*SHAPEOBJECT {\n*SHAPE_LINE 0 {\n*SHAPE_VERTEXCOUNT 2\n*SHAPE_VERTEX_KNOT 0 9 9 9\n"
                  "*SHAPE_VERTEX_KNOT 1 9 9 9\n}\n}\n"
                  "*SHAPEOBJECT {\n*SHAPE_LINE 0 {\n*SHAPE_VERTEXCOUNT 3\n*SHAPE_VERTEX_KNOT 0 0 0 0\n"
                  "*SHAPE_VERTEX_INTERP 1 1 2 3\n*SHAPE_VERTEX_KNOT 2 2 0 0\n}\n}\n");
    const ProcessResult r = inspect({"shape", (dir / "s.ase").string(), "1", "0", "0.5", "1", "1.5"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // The quadratic (0,0,0) (1,3,-2) (2,0,0), extrapolated past its end.
    EXPECT_EQ(r.out, "segments 1\np 0 0 0\np 1 1.5 -1\np 2 0 0\np 3 -4.5 3\n");
    EXPECT_NE(r.err.find("shapeobject found\nshapeobject found\n(0.000000, 0.000000, 0.000000)\n"),
              std::string::npos);

    const ProcessResult none = inspect({"shape", (dir / "s.ase").string(), "2"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "segments 0\n");
    EXPECT_EQ(inspect({"shape", (dir / "s.ase").string(), "2", "0.5"}).exitCode, 1);
    EXPECT_EQ(inspect({"shape", "/nonexistent/s.ase", "0"}).exitCode, 1);
    EXPECT_EQ(inspect({"shape", (dir / "s.ase").string()}).exitCode, 2);
    EXPECT_EQ(inspect({"shape", (dir / "s.ase").string(), "one"}).exitCode, 2);
    EXPECT_EQ(inspect({"shape", (dir / "s.ase").string(), "0", "x"}).exitCode, 2);
}

// Scripts take the scene times from here: each scene ends where the next
// begins and the last where the presentation does.
TEST(InspectScenes, ListsEveryScenesStartAndEndFromTheTimeline) {
    const ProcessResult r = inspect({"scenes"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string expected;
    for (int k = 0; k < kSceneCount; ++k)
        expected += std::to_string(k) + " " + std::to_string(sceneStartMs[k]) + " " +
                    std::to_string(k + 1 < kSceneCount ? sceneStartMs[k + 1] : kPresentationEndMs) + "\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(inspect({"scenes", "extra"}).exitCode, 2);
}

}  // namespace
