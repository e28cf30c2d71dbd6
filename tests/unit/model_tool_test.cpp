#include <gtest/gtest.h>

#include <string>

#include "runtime/timeline/timeline.h"
#include "support/ase_files.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

ProcessResult inspect(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {AFTERGLOW_INSPECT_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
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
