// The ASE model reader: files as the program reads them, their problems,
// and the mesh operations on what was read (deform, faces, materials,
// normals).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "assets/ase_model.h"
#include "assets/ase_text.h"
#include "support/ase_files.h"
#include "support/temp_dir.h"

namespace {

AseMesh* addMesh(AseModel& model, std::vector<Vec3> vertices, std::vector<FaceIndices> faces) {
    model.meshes.push_back(std::make_unique<AseMesh>());
    AseMesh* m = model.meshes.back().get();
    m->vertices = std::move(vertices);
    m->faces = std::move(faces);
    m->numVertex = static_cast<uint32_t>(m->vertices.size());
    m->numFaces = static_cast<uint32_t>(m->faces.size());
    return m;
}

void expectVec(const Vec3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
}

const std::string kCubeMesh =
    "\t\t*MESH_NUMVERTEX 3\n"
    "\t\t*MESH_NUMFACES 1\n"
    "\t\t*MESH_VERTEX_LIST {\n"
    "\t\t\t*MESH_VERTEX    0\t11.0\t22.0\t33.0\n"
    "\t\t\t*MESH_VERTEX    1\t10.0\t20.0\t30.0\n"
    "\t\t\t*MESH_VERTEX    2\t12.5\t20.0\t30.0\n"
    "\t\t}\n"
    "\t\t*MESH_FACE_LIST {\n"
    "\t\t\t*MESH_FACE    0:    A:    2 B:    0 C:    1 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n"
    "\t\t}\n"
    "\t\t*MESH_NUMTVERTEX 2\n"
    "\t\t*MESH_TVERTLIST {\n"
    "\t\t\t*MESH_TVERT 0\t0.25\t0.75\t0.0\n"
    "\t\t\t*MESH_TVERT 1\t1.0\t0.0\t0.0\n"
    "\t\t}\n"
    "\t\t*MESH_NUMTVFACES 1\n"
    "\t\t*MESH_TFACELIST {\n"
    "\t\t\t*MESH_TFACE 0\t1\t0\t1\n"
    "\t\t}\n";

const std::string kNodeAt102030 = "\t\t*TM_POS 10 20 30\n\t\t*TM_ROTAXIS 0.5 -0.25 1\n\t\t*TM_ROTANGLE 1.5\n";

class AseModelTest : public ::testing::Test {
protected:
    // Loads text as a model without textures; the progress lines land in
    // progress.
    AseModel& load(const std::string& text) {
        writeTextFile(dir / "model.ASE", text);
        CapturedProgress capture;
        model.load((dir / "model.ASE").c_str(), nullptr);
        progress = capture.text();
        return model;
    }

    TempDir dir;
    AseModel model;
    std::string progress;
};

TEST_F(AseModelTest, NodeDataListsAndAxes) {
    load(geomObject("\"Box01\"", kNodeAt102030, kCubeMesh, "\t*MATERIAL_REF 3\n"));
    ASSERT_EQ(model.meshCount(), 1);
    const AseMesh& m = *model.meshes[0];
    EXPECT_STREQ(m.nodeName, "\"Box01\"");
    EXPECT_FLOAT_EQ(m.nodePos.x, 10);
    EXPECT_FLOAT_EQ(m.nodePos.y, 30);
    EXPECT_FLOAT_EQ(m.nodePos.z, -20);
    // The rotation is kept as written, in file axes.
    EXPECT_FLOAT_EQ(m.rotAxis.x, 0.5f);
    EXPECT_FLOAT_EQ(m.rotAxis.y, -0.25f);
    EXPECT_FLOAT_EQ(m.rotAxis.z, 1);
    EXPECT_FLOAT_EQ(m.rotAngle, 1.5f);
    ASSERT_EQ(m.numVertex, 3u);
    ASSERT_EQ(m.vertices.size(), 3u);
    EXPECT_FLOAT_EQ(m.vertices[0].x, 1);
    EXPECT_FLOAT_EQ(m.vertices[0].y, 3);
    EXPECT_FLOAT_EQ(m.vertices[0].z, -2);
    EXPECT_FLOAT_EQ(m.vertices[2].x, 2.5f);
    ASSERT_EQ(m.numFaces, 1u);
    EXPECT_EQ(m.faces[0], (FaceIndices{2, 0, 1}));
    ASSERT_EQ(m.numTVertex, 2u);
    EXPECT_FLOAT_EQ(m.texcoords[0].u, 0.25f);
    EXPECT_FLOAT_EQ(m.texcoords[0].v, 0.25f);
    EXPECT_FLOAT_EQ(m.texcoords[1].v, 1.0f);
    ASSERT_EQ(m.numTVFaces, 1u);
    EXPECT_EQ(m.tfaces[0], (FaceIndices{1, 0, 1}));
    EXPECT_EQ(m.materialRef, 3);
    EXPECT_TRUE(m.faceNormals.empty());
    EXPECT_TRUE(m.vertexNormals.empty());
    // No material list: nothing to texture with.
    EXPECT_EQ(model.meshTexture(m), -1);
    EXPECT_EQ(progress, "loading geomObjectmodel loaded");
}

TEST_F(AseModelTest, FindMeshComparesQuotedNamesExactly) {
    load(geomObject("\"Box01\"", "", "") + geomObject("\"sphere\"", "", "") + geomObject("\"sphere\"", "", ""));
    EXPECT_EQ(model.findMesh("\"Box01\""), 0);
    EXPECT_EQ(model.findMesh("\"sphere\""), 1);
    EXPECT_EQ(model.findMesh("Box01"), -1);
    EXPECT_EQ(model.findMesh("\"Box0\""), -1);
    EXPECT_EQ(model.findMesh(""), -1);
}

TEST_F(AseModelTest, ObjectsInFileOrderAndLinesBetweenThemIgnored) {
    const std::string between = "*NODE_NAME \"stray\"\n*MESH_NUMVERTEX 99\n*TM_POS 1 2 3\n";
    load(geomObject("\"a\"", "", "\t\t*MESH_NUMFACES 2\n") + between +
         geomObject("\"b\"", "", "\t\t*MESH_NUMFACES 3\n", "\t*MATERIAL_REF 1\n") + between +
         geomObject("\"c\"", "", "\t\t*MESH_NUMFACES 4\n", "\t*MATERIAL_REF 2\n"));
    ASSERT_EQ(model.meshCount(), 3);
    const char* names[] = {"\"a\"", "\"b\"", "\"c\""};
    for (int i = 0; i < 3; ++i) {
        const AseMesh& m = *model.meshes[static_cast<size_t>(i)];
        EXPECT_STREQ(m.nodeName, names[i]);
        EXPECT_EQ(m.numFaces, static_cast<uint32_t>(i + 2));
        EXPECT_EQ(m.numVertex, 0u);
        EXPECT_EQ(m.materialRef, i);
        EXPECT_FLOAT_EQ(m.nodePos.x, 0);
    }
    EXPECT_EQ(progress, "loading geomObjectloading geomObjectloading geomObjectmodel loaded");
}

TEST_F(AseModelTest, ObjectWithoutMaterialRefTakesInTheNext) {
    load(geomObject("\"first\"", "\t\t*TM_POS 1 2 3\n", "\t\t*MESH_NUMFACES 2\n", "") +
         geomObject("\"second\"", "", "\t\t*MESH_NUMVERTEX 5\n") + geomObject("\"third\"", "", ""));
    ASSERT_EQ(model.meshCount(), 2);
    const AseMesh& merged = *model.meshes[0];
    EXPECT_STREQ(merged.nodeName, "\"second\"");
    EXPECT_EQ(merged.numFaces, 2u);
    EXPECT_EQ(merged.numVertex, 5u);
    EXPECT_FLOAT_EQ(merged.nodePos.y, 3);
    EXPECT_STREQ(model.meshes[1]->nodeName, "\"third\"");
    // The swallowed object's own header line was no keyword there.
    EXPECT_EQ(progress, "loading geomObjectloading geomObjectmodel loaded");
}

TEST_F(AseModelTest, MaterialsCountExactMaterialLinesOnly) {
    load("*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2\n"
         "\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"m0\"\n\t\t*MATERIAL_CLASS \"Multi/Sub-Object\"\n"
         "\t\t*NUMSUBMTLS 1\n\t\t*SUBMATERIAL 0 {\n\t\t\t*MATERIAL_NAME \"sub\"\n\t\t}\n\t}\n"
         "\t*MATERIAL 1 {\n\t\t*MATERIAL_NAME \"m1\"\n\t}\n}\n" +
         geomObject("\"a\"", "", "", "\t*MATERIAL_REF 1\n"));
    EXPECT_EQ(model.materials.size(), 2u);
    ASSERT_EQ(model.meshCount(), 1);
    for (const auto& material : model.materials) EXPECT_EQ(material->textureIndex, -1);
}

TEST_F(AseModelTest, MaterialCountZeroStopsAtTheFirstMaterialOrObject) {
    load("*MATERIAL_COUNT 0\n*MATERIAL 0 {\n*MATERIAL 1 {\n" + geomObject("\"a\"", "", ""));
    EXPECT_EQ(model.materials.size(), 1u);
    EXPECT_EQ(model.meshCount(), 1);
    model.materials.clear();
    model.meshes.clear();
    load("*MATERIAL_COUNT 0\n" + geomObject("\"a\"", "", "") + "*MATERIAL 0 {\n");
    EXPECT_EQ(model.materials.size(), 0u);
    EXPECT_EQ(model.meshCount(), 1);
}

TEST(AseBitmapFileName, CutsDirectoriesQuotesAndKeepsCase) {
    char name[kAseWordSize];
    aseBitmapFileName("\"C:\\maps\\metal.jpg\"", name);
    EXPECT_STREQ(name, "metal.jpg");
    aseBitmapFileName("\"D:\\Art\\Stone.JPG\"", name);
    EXPECT_STREQ(name, "Stone.JPG");
    aseBitmapFileName("\"plain.jpg\"", name);
    EXPECT_STREQ(name, "\"plain.jpg");
    // Without ".jpg" nothing is cut; the last backslash still counts.
    aseBitmapFileName("\"..\\maps\\wood.png\"", name);
    EXPECT_STREQ(name, "wood.png\"");
    // A backslash after the ".jpg" is cut off with the rest.
    aseBitmapFileName("\"a.jpg\\b\"", name);
    EXPECT_STREQ(name, "\"a.jpg");
    aseBitmapFileName("\"C:\\maps\\\"", name);
    EXPECT_STREQ(name, "\"");
    aseBitmapFileName("C:\\maps\\", name);
    EXPECT_STREQ(name, "");
}

// What a load says on stderr about a file.
std::string saidAbout(const std::string& text, int loads = 1) {
    TempDir dir;
    writeTextFile(dir / "m.ASE", text);
    CapturedProgress quiet;
    testing::internal::CaptureStderr();
    for (int i = 0; i < loads; ++i) {
        AseModel model;
        model.load((dir / "m.ASE").c_str(), nullptr);
    }
    std::string said = testing::internal::GetCapturedStderr();
    const std::string name = (dir / "m.ASE").string() + ": ";
    for (size_t at; (at = said.find(name)) != std::string::npos;) said.replace(at, name.size(), "");
    return said;
}

TEST(AseModelProblems, DamagedFilesAreNamedOnceAndCleanOnesSayNothing) {
    const std::string clean = geomObject("\"Box01\"", kNodeAt102030, kCubeMesh);
    EXPECT_EQ(saidAbout(clean), "");
    EXPECT_EQ(saidAbout(clean.substr(0, clean.size() / 2), 3),
              "afterglow: ends inside an open block (the file is cut short); what comes before is read\n");
    std::string garbage(3000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919u) >> 3);
    EXPECT_EQ(saidAbout(garbage, 2), "afterglow: holds no geometry or shape objects; nothing is read from it\n");
    EXPECT_EQ(saidAbout(""), "afterglow: is empty; nothing is read from it\n");
    // Closed blocks, but a count larger than the rows that follow.
    EXPECT_EQ(saidAbout("*GEOMOBJECT {\n*NODE_NAME \"x\"\n*MESH_NUMVERTEX 5\n*MESH_VERTEX_LIST {\n"
                        "*MESH_VERTEX 0 1 2 3\n}\n}\n"),
              "afterglow: the vertex list of object \"x\" runs past the end of the file\n");
    std::string outside = clean;
    outside.replace(outside.find("A:    2"), 7, "A:    7");
    EXPECT_EQ(saidAbout(outside), "afterglow: 1 face points outside its vertex list and is not drawn\n");
    EXPECT_EQ(saidAbout("*SHAPEOBJECT {\n}\n"), "afterglow: has no geometry objects; its model stays empty\n");
}

TEST(AseText, LongLinesComeInPiecesAndLongWordsAreCut) {
    TempDir dir;
    const std::string longWord(300, 'x');
    writeTextFile(dir / "long.txt", std::string(400, 'a') + "\nshort " + longWord + " tail\n" + "no line end");
    const std::shared_ptr<const AseFile> file = openAseFile((dir / "long.txt").c_str());
    ASSERT_NE(file, nullptr);
    AseText text(*file);
    char line[kAseLineSize];
    ASSERT_TRUE(readLine(text, line));
    EXPECT_EQ(std::strlen(line), 255u);
    ASSERT_TRUE(readLine(text, line));
    EXPECT_EQ(std::string(line), std::string(145, 'a') + "\n");
    ASSERT_TRUE(readLine(text, line));
    splitLine(line);
    EXPECT_STREQ(lineWords[0], "short");
    EXPECT_EQ(std::string(lineWords[1]), std::string(249, 'x'));  // the line itself was cut at 255
    ASSERT_TRUE(readLine(text, line));
    ASSERT_TRUE(readLine(text, line));
    EXPECT_STREQ(line, "no line end");
    EXPECT_FALSE(readLine(text, line));
    text.rewind();
    ASSERT_TRUE(readLine(text, line));
    EXPECT_EQ(std::strlen(line), 255u);

    splitLine(("w " + std::string(254 + 10, 'y')).c_str());
    EXPECT_EQ(std::strlen(lineWords[1]), 254u);
}

TEST(AseText, FewerWordsKeepTheOldOnesAndNumbersReadLikeAtoi) {
    splitLine("a b c d e");
    splitLine("  x\t y ");
    EXPECT_STREQ(lineWords[0], "x");
    EXPECT_STREQ(lineWords[1], "y");
    EXPECT_STREQ(lineWords[2], "c");
    splitLine("12abc -7 junk 99999999999 -99999999999");
    EXPECT_EQ(wordInt(0), 12);
    EXPECT_EQ(wordInt(1), -7);
    EXPECT_EQ(wordInt(2), 0);
    EXPECT_EQ(wordInt(3), INT32_MAX);
    EXPECT_EQ(wordInt(4), INT32_MIN);
    splitLine("1.5e1 nan inf 1e300 -2.25x");
    EXPECT_FLOAT_EQ(wordFloat(0), 15);
    EXPECT_FLOAT_EQ(wordFloat(1), 0);
    EXPECT_FLOAT_EQ(wordFloat(2), 0);
    EXPECT_FLOAT_EQ(wordFloat(3), 0);
    EXPECT_FLOAT_EQ(wordFloat(4), -2.25f);
}


TEST(MeshNormals, CounterClockwiseFacesPointAwayFromTheViewer) {
    AseModel model;
    // Vertex 0 is shared by a triangle in the z = 0 plane (counter-clockwise
    // seen from +z) and one in the y = 0 plane (counter-clockwise from +y);
    // vertex 5 is used by no face; face 2 has no area.
    AseMesh* m = addMesh(model, {{0, 0, 0}, {2, 0, 0}, {0, 3, 0}, {0, 0, 5}, {7, 7, 7}, {9, 9, 9}},
                         {{0, 1, 2}, {0, 3, 1}, {4, 4, 4}});
    model.computeNormals();
    ASSERT_EQ(m->faceNormals.size(), 3u);
    ASSERT_EQ(m->vertexNormals.size(), 6u);
    EXPECT_EQ(m->savedVertices.size(), 6u);
    expectVec(m->faceNormals[0], 0, 0, -1);
    expectVec(m->faceNormals[1], 0, -1, 0);
    expectVec(m->faceNormals[2], 0, 0, 0);
    // Equal weights, whatever the triangles' areas.
    const float h = std::sqrt(0.5f);
    expectVec(m->vertexNormals[0], 0, -h, -h);
    expectVec(m->vertexNormals[1], 0, -h, -h);
    expectVec(m->vertexNormals[2], 0, 0, -1);
    expectVec(m->vertexNormals[3], 0, -1, 0);
    expectVec(m->vertexNormals[4], 0, 0, 0);
    expectVec(m->vertexNormals[5], 0, 0, 0);

    // A second call reuses the arrays and gives the same result.
    const Vec3* before = m->vertexNormals.data();
    model.computeNormals();
    EXPECT_EQ(m->vertexNormals.data(), before);
    expectVec(m->vertexNormals[0], 0, -h, -h);
}

TEST(MeshDeform, ScaleRippleSaveRestore) {
    AseModel model;
    AseMesh* m = addMesh(model, {{1, 0, 0}, {0, 2, -3}}, {});
    m->nodePos = {5, 6, 7};
    model.scale(1, 1, 1);
    expectVec(m->vertices[1], 0, 2, -3);
    model.scale(2, 1, 1);
    expectVec(m->vertices[0], 2, 0, 0);
    expectVec(m->nodePos, 5, 6, 7);
    model.scale(0.5f, 1, 1);

    model.computeNormals();
    model.saveVertices();
    model.ripple(0.7f, 0, 1.3f);
    expectVec(m->vertices[1], 0, 2, -3);
    // r = 1, sin(1 * 0 + pi/2) = 1: twice the distance with amplitude 1.
    model.ripple(0, 1, 1.57079633f);
    expectVec(m->vertices[0], 2, 0, 0);
    model.restoreVertices();
    expectVec(m->vertices[0], 1, 0, 0);
    expectVec(m->vertices[1], 0, 2, -3);
}

TEST(MeshFaces, IndicesOutsideTheVertexListMarkTheFaceInvalid) {
    AseModel model;
    AseMesh* m = addMesh(model, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 1, 3}, {-1, 1, 2}});
    EXPECT_TRUE(m->faceIsValid(0));
    EXPECT_FALSE(m->faceIsValid(1));
    EXPECT_FALSE(m->faceIsValid(2));
    EXPECT_FALSE(m->faceIsValid(3));
    model.computeNormals();
    expectVec(m->faceNormals[1], 0, 0, 0);
    expectVec(m->vertexNormals[1], 0, 0, -1);
}

TEST(MeshMaterials, ReferenceOutsideTheListHasNoTexture) {
    AseModel model;
    model.materials.push_back(std::make_unique<AseMaterial>());
    model.materials.push_back(std::make_unique<AseMaterial>());
    model.materials[1]->textureIndex = 4;
    AseMesh* m = addMesh(model, {}, {});
    m->materialRef = 1;
    EXPECT_EQ(model.meshTexture(*m), 4);
    m->materialRef = 0;
    EXPECT_EQ(model.meshTexture(*m), -1);
    m->materialRef = 2;
    EXPECT_EQ(model.meshTexture(*m), -1);
    m->materialRef = -1;
    EXPECT_EQ(model.meshTexture(*m), -1);
}

}  // namespace
