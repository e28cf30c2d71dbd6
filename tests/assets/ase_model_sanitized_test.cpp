// The model and shape readers on hostile files under AddressSanitizer and
// UndefinedBehaviorSanitizer: lying counts, overlong words, indices out of
// range, garbage; and drawing what they read.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "assets/ase_model.h"
#include "assets/draw/particles.h"
#include "assets/spline_path.h"
#include "gfx/texture_manager.h"
#include "support/ase_files.h"
#include "support/sanitized/gl_ready.h"
#include "support/temp_dir.h"

namespace {

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Exercises everything that touches the arrays of a loaded model.
void exercise(AseModel& model) {
    model.computeNormals();
    model.saveVertices();
    model.ripple(0.04f, 0.2f, 1.0f);
    model.scale(2, 1, 0.5f);
    model.restoreVertices();
    model.computeNormals();
    for (int i = 0; i < model.meshCount(); ++i) {
        const AseMesh& m = *model.meshes[static_cast<size_t>(i)];
        EXPECT_EQ(m.vertices.size(), m.numVertex);
        EXPECT_EQ(m.faces.size(), m.numFaces);
        EXPECT_EQ(m.texcoords.size(), m.numTVertex);
        EXPECT_EQ(m.tfaces.size(), m.numTVFaces);
        EXPECT_LT(std::char_traits<char>::length(m.nodeName), sizeof m.nodeName);
        EXPECT_TRUE(finite(m.nodePos) && finite(m.rotAxis) && std::isfinite(m.rotAngle));
        for (const Vec3& v : m.vertices) EXPECT_TRUE(finite(v));
        for (const Vec3& n : m.vertexNormals) EXPECT_TRUE(finite(n));
        for (const Vec3& n : m.faceNormals) EXPECT_TRUE(finite(n));
        for (const TexCoord& t : m.texcoords) EXPECT_TRUE(std::isfinite(t.u) && std::isfinite(t.v));
        const int texture = model.meshTexture(m);
        EXPECT_TRUE(texture == -1 || (texture >= 0 && texture < TextureManager::kCapacity));
    }
    EXPECT_GE(model.findMesh("\"x\""), -1);
}

void exercise(SplinePath& path) {
    for (const BezierSegment& s : path.segments) {
        EXPECT_GE(s.count, 2);
        EXPECT_EQ(static_cast<size_t>(s.count), s.points.size());
    }
    path.scale(0.5f);
    for (float t : {-1e30f, -3.5f, -0.5f, 0.0f, 0.5f, 1.0f, 2.0f, 7.25f, 1e30f, NAN, INFINITY}) {
        const Vec3 p = path.evaluate(t);
        EXPECT_TRUE(finite(p)) << t;
    }
}

// Deterministic bytes from a linear congruential sequence.
class ByteSource {
public:
    explicit ByteSource(uint32_t seed) : state_(seed) {}
    uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    std::string bytes(size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(next() & 0xFF);
        return s;
    }

private:
    uint32_t state_;
};

// Lines of the readers' own keywords with random, often absurd, values.
std::string keywordSoup(ByteSource& source, int lines) {
    static const char* keywords[] = {
        "*GEOMOBJECT",      "*MATERIAL_COUNT",   "*MATERIAL",        "*BITMAP",        "*NODE_NAME",
        "*TM_POS",          "*TM_ROTAXIS",       "*TM_ROTANGLE",     "*MESH_NUMVERTEX", "*MESH_NUMFACES",
        "*MESH_NUMTVERTEX", "*MESH_NUMTVFACES",  "*MESH_VERTEX_LIST", "*MESH_FACE_LIST", "*MESH_TVERTLIST",
        "*MESH_TFACELIST",  "*MATERIAL_REF",     "*SHAPEOBJECT",     "*SHAPE_LINE",    "*SHAPE_VERTEX_KNOT",
        "*SHAPE_VERTEX_INTERP", "*MESH_FACE", "}", ""};
    static const char* values[] = {"0",   "1",   "2",   "3",    "-1",  "7",   "2147483647", "-2147483648",
                                   "1e39", "nan", "inf", "-inf", "A:",  "B:",  "C:",          "\"C:\\a\\b.JPG\"",
                                   "4294967296", "0.5", "-0", "99999999999999999999", "\\\\\\", ".jpg", "x.jpgjpg"};
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const uint32_t r = source.next();
        if (r % 17 == 0) {
            text += source.bytes(source.next() % 400) + "\n";
            continue;
        }
        text += keywords[r % (sizeof keywords / sizeof *keywords)];
        const int words = static_cast<int>(source.next() % 9);
        for (int w = 0; w < words; ++w) {
            text += (source.next() & 1) ? " " : "\t";
            text += values[source.next() % (sizeof values / sizeof *values)];
        }
        text += "\n";
    }
    return text;
}

class AseAdversarial : public ::testing::Test {
protected:
    void loadBoth(const std::string& text) {
        writeTextFile(dir / "bad.ase", text);
        CapturedProgress quiet;
        AseModel model;
        model.load((dir / "bad.ase").c_str(), nullptr);
        exercise(model);
        for (int index : {-1, 0, 1, 2, 1000}) {
            SplinePath path;
            path.loadShape((dir / "bad.ase").c_str(), index);
            exercise(path);
        }
    }

    TempDir dir;
};

TEST_F(AseAdversarial, OverlongWordsAndLines) {
    const std::string huge(10000, 'q');
    std::string slashes;
    for (int i = 0; i < 200; ++i) slashes += "\\x";
    loadBoth("*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*BITMAP \"" + slashes + ".jpg\"\n*BITMAP " + std::string(300, '.') +
             "jpg\n*BITMAP " + std::string(252, 'a') + ".jp\n*BITMAP \\" + huge + "\n" +
             "*GEOMOBJECT {\n*NODE_NAME \"" + huge + "\"\n*TM_POS " + huge + " " + huge + "\n" + huge + "\n" +
             "*MESH_NUMVERTEX 1\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 " + std::string(400, '9') + "\n" +
             std::string(255, 'z'));
    // A word that fills the whole line, and a last line without '\n'.
    loadBoth("*NODE_NAME\n" + std::string(255, 'w') + std::string(255, 'v'));
}

TEST_F(AseAdversarial, CountsThatLie) {
    const std::string rows = "*MESH_VERTEX 0 1 2 3\n*MESH_VERTEX 1 4 5 6\n";
    for (const char* count : {"-1", "-2147483648", "2147483647", "99999999999", "5", "0"}) {
        const std::string c = count;
        loadBoth("*GEOMOBJECT {\n*MESH_NUMVERTEX " + c + "\n*MESH_NUMFACES " + c + "\n*MESH_NUMTVERTEX " + c +
                 "\n*MESH_NUMTVFACES " + c + "\n*MESH_VERTEX_LIST {\n" + rows + "}\n*MESH_FACE_LIST {\n" +
                 "*MESH_FACE 0: A: 0 B: 1 C: 2\n}\n*MESH_TVERTLIST {\n*MESH_TVERT 0 0.5 0.5 0\n}\n" +
                 "*MESH_TFACELIST {\n*MESH_TFACE 0 0 0 0\n}\n*MATERIAL_REF " + c + "\n}\n");
        loadBoth("*MATERIAL_COUNT " + c + "\n*MATERIAL 0 {\n*BITMAP \"x.jpg\"\n");
        loadBoth("*SHAPEOBJECT {\n*SHAPE_LINE 0 {\n*SHAPE_VERTEXCOUNT " + c +
                 "\n*SHAPE_VERTEX_KNOT 0 1 2 3\n*SHAPE_VERTEX_KNOT 1 4 5 6\n");
    }
}

TEST_F(AseAdversarial, IndicesOutOfRangeAndDegenerateFaces) {
    loadBoth(geomObject("\"bad\"", "\t*TM_POS nan inf 1e39\n",
                        "*MESH_NUMVERTEX 3\n*MESH_NUMFACES 6\n*MESH_VERTEX_LIST {\n"
                        "*MESH_VERTEX 0 1 1 1\n*MESH_VERTEX 1 1 1 1\n*MESH_VERTEX 2 2 2 2\n}\n"
                        "*MESH_FACE_LIST {\n"
                        "*MESH_FACE 0: A: 0 B: 1 C: 2\n"           // two corners at one point
                        "*MESH_FACE 1: A: 0 B: 0 C: 0\n"           // a point
                        "*MESH_FACE 2: A: 3 B: 1 C: 2\n"           // one past the end
                        "*MESH_FACE 3: A: -1 B: 1 C: 2\n"
                        "*MESH_FACE 4: A: 2147483647 B: -2147483648 C: 99999999999\n"
                        "*MESH_FACE 5:\n}\n"
                        "*MESH_NUMTVERTEX 1\n*MESH_TVERTLIST {\n*MESH_TVERT 0 nan 1e39\n}\n"
                        "*MESH_NUMTVFACES 2\n*MESH_TFACELIST {\n*MESH_TFACE 0 5 -1 0\n*MESH_TFACE 1 0 0 0\n}\n",
                        "\t*MATERIAL_REF 99\n") +
             geomObject("\"neg\"", "", "", "\t*MATERIAL_REF -3\n"));
}

TEST_F(AseAdversarial, GarbageAndKeywordSoup) {
    ByteSource source(12345);
    for (int round = 0; round < 40; ++round) loadBoth(source.bytes(2000 + source.next() % 3000));
    for (int round = 0; round < 600; ++round) loadBoth(keywordSoup(source, 60 + static_cast<int>(source.next() % 120)));
    loadBoth("");
    loadBoth(std::string(1000, '\0'));
    loadBoth(std::string(1000, '\n'));
}

TEST_F(AseAdversarial, UnreadableFilesAreNamedOnceForAllTheirLoaders) {
    const std::string missing = (dir / "no such model.ASE").string();
    const std::string pipe = (dir / "pipe.ASE").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string folder = dir.path().string();
    for (const char* path : {missing.c_str(), pipe.c_str(), folder.c_str(), ""}) {
        testing::internal::CaptureStderr();
        for (int i = 0; i < 2; ++i) {
            AseModel model;
            model.load(path, nullptr);
            SplinePath spline;
            spline.loadShape(path, i);
            EXPECT_EQ(model.meshCount(), 0);
            EXPECT_EQ(spline.segmentCount(), 0);
        }
        const std::string err = testing::internal::GetCapturedStderr();
        // One line, however many loaders: the file and what is wrong with it.
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        if (path[0]) {
            EXPECT_EQ(err.rfind("afterglow: " + std::string(path) + ": ", 0), 0u) << err;
        }
    }
    AseModel model;
    model.load(nullptr, nullptr);
    EXPECT_EQ(model.meshCount(), 0);
}

// The same hostile models drawn for real, with textures loading through a
// texture manager.
TEST_F(AseAdversarial, DrawingHostileModels) {
    if (!glReady()) GTEST_SKIP() << "no display";
    setenv("AFTERGLOW_NO_MESSAGE_BOX", "1", 1);
    TextureManager textures;
    ByteSource source(777);
    for (int round = 0; round < 60; ++round) {
        std::string text = keywordSoup(source, 80);
        if (round == 0)
            text = "*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*BITMAP \"C:\\t\\missing.jpg\"\n}\n" +
                   geomObject("\"m\"", "",
                              "*MESH_NUMVERTEX 3\n*MESH_NUMFACES 2\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 0 0 0\n"
                              "*MESH_VERTEX 1 1 0 0\n*MESH_VERTEX 2 0 1 0\n}\n*MESH_FACE_LIST {\n"
                              "*MESH_FACE 0: A: 0 B: 1 C: 2\n*MESH_FACE 1: A: 0 B: 9 C: 2\n}\n"
                              "*MESH_NUMTVERTEX 1\n*MESH_TVERTLIST {\n*MESH_TVERT 0 0 0 0\n}\n"
                              "*MESH_NUMTVFACES 1\n*MESH_TFACELIST {\n*MESH_TFACE 0 0 3 -7\n}\n");
        writeTextFile(dir / "bad.ase", text);
        CapturedProgress quiet;
        testing::internal::CaptureStderr();
        AseModel model;
        model.load((dir / "bad.ase").c_str(), &textures);
        testing::internal::GetCapturedStderr();
        model.draw();
        model.computeNormals();
        model.draw();
        model.drawFlat(0);
        for (const auto& mesh : model.meshes) {
            mesh->drawTextured();
            mesh->drawUntextured();
        }
        if (round == 0) {
            EXPECT_EQ(model.meshTexture(*model.meshes[0]), 0);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
