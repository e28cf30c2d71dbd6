// What the mesh, particle and trail routines send to GL, caught in
// feedback mode: eye-space positions (identity projection), colours and
// texture coordinates of every vertex.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "assets/ase_model.h"
#include "assets/draw/particles.h"
#include "assets/spline_path.h"
#include "gfx/gl_state.h"
#include "gfx/texture_manager.h"
#include "support/ase_files.h"
#include "support/gl/gfx_fixture.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

struct FeedbackVertex {
    float x, y, z;        // window coordinates
    float r, g, b, a;
    float s, t, p, q;
};

using Polygon = std::vector<FeedbackVertex>;

constexpr int kViewport = 200;

// Window coordinates back to eye space for the identity projection used here.
float eye(float window) { return window / (kViewport / 2.0f) - 1.0f; }

class Feedback {
public:
    Feedback() : buffer_(1 << 16) {
        glViewport(0, 0, kViewport, kViewport);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        setGlState({.cullFace = kOff, .lighting = kOff});
        glFeedbackBuffer(static_cast<GLsizei>(buffer_.size()), GL_3D_COLOR_TEXTURE, buffer_.data());
        glRenderMode(GL_FEEDBACK);
    }

    std::vector<Polygon> finish() {
        const GLint n = glRenderMode(GL_RENDER);
        std::vector<Polygon> polygons;
        for (GLint i = 0; i < n;) {
            const auto token = static_cast<GLint>(buffer_[i++]);
            if (token != GL_POLYGON_TOKEN) break;
            const auto count = static_cast<GLint>(buffer_[i++]);
            Polygon polygon;
            for (GLint k = 0; k < count; ++k, i += 11) {
                const float* f = &buffer_[i];
                polygon.push_back({eye(f[0]), eye(f[1]), f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]});
            }
            polygons.push_back(polygon);
        }
        return polygons;
    }

private:
    std::vector<GLfloat> buffer_;
};

class AssetDraw : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ensureGlContext()) GTEST_SKIP() << "no display";
    }
};

std::unique_ptr<AseMesh> triangle(Vec3 at) {
    auto m = std::make_unique<AseMesh>();
    m->nodePos = at;
    m->vertices = {{0, 0, 0}, {0.1f, 0, 0}, {0, 0.1f, 0}};
    m->faces = {{0, 1, 2}, {0, 1, 7}};  // the second points past the list
    m->texcoords = {{0.25f, 0.5f}};
    m->tfaces = {{0, 0, 0}};
    m->numVertex = 3;
    m->numFaces = 2;
    m->numTVertex = 1;
    m->numTVFaces = 1;
    return m;
}

TEST_F(AssetDraw, FlatModelIsBlackWithOneWhiteMesh) {
    AseModel model;
    model.meshes.push_back(triangle({-0.5f, 0, 0}));
    model.meshes.push_back(triangle({0.5f, 0, 0}));
    model.computeNormals();
    setGlState({.texture2D = kOn});
    Feedback fb;
    model.drawFlat(1);
    const auto polygons = fb.finish();
    ASSERT_EQ(polygons.size(), 2u);  // invalid faces are not sent
    EXPECT_NEAR(polygons[0][0].x, -0.5f, 1e-3f);
    EXPECT_EQ(polygons[0][0].r, 0);
    EXPECT_NEAR(polygons[1][1].x, 0.6f, 1e-3f);
    EXPECT_EQ(polygons[1][0].r, 1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    Feedback again;
    model.drawFlat(-1);
    for (const Polygon& p : again.finish()) EXPECT_EQ(p[0].g, 0);
}

TEST_F(AssetDraw, MaterialBitmapsLoadThroughTheTextureManager) {
    setenv("AFTERGLOW_NO_MESSAGE_BOX", "1", 1);
    TempDir dir;
    writeTextFile(dir / "m.ASE",
                  "*MATERIAL_LIST {\n*MATERIAL_COUNT 3\n"
                  "*MATERIAL 0 {\n*MAP_DIFFUSE {\n*BITMAP \"C:\\maps\\diffuse.jpg\"\n}\n"
                  "*MAP_BUMP {\n*BITMAP \"C:\\maps\\bump.jpg\"\n}\n}\n"
                  "*MATERIAL 1 {\n*BITMAP \"D:\\Art\\Stone.JPG\"\n}\n"
                  "*MATERIAL 2 {\n*MATERIAL_NAME \"plain\"\n}\n}\n" +
                      geomObject("\"a\"", "", "", "\t*MATERIAL_REF 1\n"));
    TextureManager textures;
    AseModel model;
    testing::internal::CaptureStderr();  // the images are not there
    {
        CapturedProgress quiet;
        model.load((dir / "m.ASE").c_str(), &textures);
    }
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(model.materials.size(), 3u);
    // Every bitmap of a material's block replaces the one before.
    const int first = model.materials[0]->textureIndex;
    ASSERT_GE(first, 0);
    EXPECT_EQ(textures.fileNames[first], "bump.jpg");
    EXPECT_EQ(textures.count, 3);
    EXPECT_EQ(textures.fileNames[model.materials[1]->textureIndex], "Stone.JPG");
    EXPECT_EQ(model.materials[2]->textureIndex, -1);
    EXPECT_EQ(model.meshTexture(*model.meshes[0]), model.materials[1]->textureIndex);
}

TEST_F(AssetDraw, TexturedMeshSendsItsCoordinatesAndTheNodeTransform) {
    TextureManager textures;
    AseModel model;
    model.textures = &textures;
    model.materials.push_back(std::make_unique<AseMaterial>());
    model.materials[0]->textureIndex = textures.createBlank(4, GL_LINEAR);
    model.meshes.push_back(triangle({0, 0, 0}));
    model.meshes[0]->rotAngle = 90;
    model.meshes[0]->rotAxis = {0, 0, 1};
    Feedback fb;
    model.draw();
    const auto polygons = fb.finish();
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    // (0.1, 0, 0) turned a quarter about z.
    EXPECT_NEAR(polygons[0][1].x, 0, 1e-3f);
    EXPECT_NEAR(polygons[0][1].y, 0.1f, 1e-3f);
    EXPECT_FLOAT_EQ(polygons[0][2].s, 0.25f);
    EXPECT_FLOAT_EQ(polygons[0][2].t, 0.5f);

    // Without a material in range the same mesh is drawn untextured.
    model.meshes[0]->materialRef = 5;
    Feedback fb2;
    model.draw();
    EXPECT_EQ(fb2.finish().size(), 1u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

struct Bounds {
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    int vertices = 0;
    FeedbackVertex last{};
};

// Everything drawn, however the driver split the quads.
Bounds bounds(const std::vector<Polygon>& polygons) {
    Bounds b;
    for (const Polygon& p : polygons)
        for (const FeedbackVertex& v : p) {
            b.minX = std::min(b.minX, v.x);
            b.maxX = std::max(b.maxX, v.x);
            b.minY = std::min(b.minY, v.y);
            b.maxY = std::max(b.maxY, v.y);
            b.vertices += 1;
            b.last = v;
        }
    return b;
}

TEST_F(AssetDraw, ParticlesFaceTheCameraAtTheirSize) {
    ParticleSystem ps;
    ps.quadSize = 0.2f;
    ps.types[0] = 3;
    ps.alive[0] = 1;
    ps.positions[0] = {0.3f, 0, 0};
    ps.life[0] = 3500;  // half of full life: half of quadSize
    Feedback fb;
    glRotatef(90, 0, 1, 0);  // a camera turned about y: the quad still faces it
    ps.draw();
    // At eye (0, 0, -0.3): a square of half-size 0.1 in the view plane.
    const Bounds smoke = bounds(fb.finish());
    ASSERT_GT(smoke.vertices, 0);
    EXPECT_NEAR(smoke.minX, -0.1f, 1e-3f);
    EXPECT_NEAR(smoke.maxX, 0.1f, 1e-3f);
    EXPECT_NEAR(smoke.minY, -0.1f, 1e-3f);
    EXPECT_NEAR(smoke.maxY, 0.1f, 1e-3f);
    EXPECT_FLOAT_EQ(smoke.last.a, 0.2f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    ps.alive[0] = 0;
    ps.types[1] = 1;
    ps.alive[1] = 1;
    ps.positions[1] = {0, 0, 0.25f};
    Feedback trail;
    glRotatef(90, 0, 1, 0);
    ps.draw();
    // A trail point at eye (0.25, 0, 0): half-size 0.5, white.
    const Bounds point = bounds(trail.finish());
    EXPECT_NEAR(point.minX, -0.25f, 1e-3f);
    EXPECT_NEAR(point.maxX, 0.75f, 1e-3f);
    EXPECT_FLOAT_EQ(point.last.r, 1);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    // Expired particles are not drawn.
    ps.update(4000);
    Feedback after;
    ps.draw();
    EXPECT_EQ(bounds(after.finish()).vertices, 0);
}

TEST_F(AssetDraw, TrailSamplesTheLastEightUnitsWithTheirDepth) {
    TempDir dir;
    // File (0, 0, 0) to (0, 1, 0): the program's z runs from 0 to -1.
    writeTextFile(dir / "line.ase",
                  "*SHAPEOBJECT {\n*SHAPE_LINE 0 {\n*SHAPE_VERTEXCOUNT 2\n*SHAPE_VERTEX_KNOT 0 0 0 0\n"
                  "*SHAPE_VERTEX_KNOT 1 0 1 0\n}\n}\n");
    SplinePath path;
    {
        CapturedProgress quiet;
        path.loadShape((dir / "line.ase").c_str(), 0);
    }
    ASSERT_EQ(path.segmentCount(), 1);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -10);
    ParticleSystem ps;
    ps.buildTrail(path, 3);
    EXPECT_NEAR(ps.trailCount, 300, 1);
    for (int i = 0; i < ps.trailCount; i += 37) {
        EXPECT_NEAR(ps.positions[i].z, -0.01f * i, 1e-3f);
        EXPECT_NEAR(ps.life[i], -10 - 0.01f * i, 1e-3f);
        EXPECT_EQ(ps.types[i], 1);
        EXPECT_EQ(ps.alive[i], 1);
    }
    ps.sortTrail();
    // Farthest first: the sample nearest t.
    EXPECT_NEAR(ps.life[0], -13, 0.02f);
    EXPECT_NEAR(ps.positions[0].z, -3, 0.02f);

    ps.resetTrail();
    ps.buildTrail(path, 20);
    EXPECT_NEAR(ps.trailCount, 800, 1);
    EXPECT_NEAR(ps.positions[0].z, -12, 1e-4f);
    for (int k = 0; k < 8; ++k) ps.buildTrail(path, 20);
    EXPECT_EQ(ps.trailCount, ParticleSystem::kSlots);
    glLoadIdentity();
}

// From the origin down -z through a frustum 0.2 wide at 0.1 (so 1 wide at
// 0.5), the modelview matrix the identity.
void lookThroughNarrowFrustum() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.1, 0.1, -0.1, 0.1, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A model's triangles that the GL would throw away are not sent: with face
// culling on, those wound away from the eye; always, those wholly outside
// the view. What is left current afterwards is the last corner's normal, as
// if all had been sent.
TEST_F(AssetDraw, ModelsLeaveOutTrianglesTheGlWouldDiscard) {
    AseModel model;
    auto mesh = std::make_unique<AseMesh>();
    // A front face (counter-clockwise seen from +z), a back face, and a
    // front face far off to the side.
    mesh->vertices = {{-0.1f, -0.1f, 0}, {0.1f, -0.1f, 0}, {0, 0.1f, 0}, {50, 0, 0}, {51, 0, 0}, {50, 1, 0}};
    mesh->faces = {{0, 1, 2}, {0, 2, 1}, {3, 4, 5}};
    mesh->numVertex = 6;
    mesh->numFaces = 3;
    model.meshes.push_back(std::move(mesh));
    model.computeNormals();
    model.meshes[0]->vertexNormals[5] = {0, 1, 0};  // told apart from the others
    lookThroughNarrowFrustum();
    glTranslatef(0, 0, -1);
    setGlState({.cullFace = kOff, .texture2D = kOff, .lighting = kOff});
    EXPECT_EQ(primitivesDrawn([&] { model.draw(); }), 2u) << "only the far-off one left out";
    setGlState({.cullFace = kOn});
    EXPECT_EQ(primitivesDrawn([&] { model.draw(); }), 1u) << "the back face is still sent";
    float normal[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(normal[1], 1.0f) << "the last corner's normal is not current";
    setGlState({.cullFace = kOff});
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A quad the view volume clips away entirely is not sent, and one that
// reaches into it by a hair is: what is left out could not have written a
// pixel. The state of the one left out is still set.
TEST_F(AssetDraw, ParticlesWhollyOutsideTheViewAreLeftOutWithTheirStateKept) {
    ParticleSystem ps;
    ps.quadSize = 0.1f;
    const Vec3 places[] = {{0, 0, -0.5f}, {0, 0, 0.5f}, {1.2f, 0, -0.5f}, {0.599f, 0, -0.5f}, {0, -1.3f, -0.5f}};
    for (int i = 0; i < 5; ++i) {
        ps.types[i] = 0;
        ps.alive[i] = 1;
        ps.positions[i] = places[i];
    }
    ps.types[4] = 5;  // a spark, the last: it sets depth test off
    ps.life[4] = 1;
    lookThroughNarrowFrustum();
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    ps.draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint primitives = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    glDeleteQueries(1, &query);
    // In front, and reaching in from the right by a hair (the view is 0.5
    // wide either side at that depth): two quads, however
    // the driver splits them (one or two primitives each).
    EXPECT_GE(primitives, 2u);
    EXPECT_LE(primitives, 4u);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << "the last particle's state, though it was not drawn";
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.6f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    forgetGlState();
}

// The last particle left out leaves what it would have left drawn: whatever
// follows may draw on the colour, normal or texture coordinate it found.
TEST_F(AssetDraw, ALastParticleLeftOutLeavesTheStateItsQuadWould) {
    ParticleSystem ps;
    ps.types[0] = ParticleSystem::kSpark;
    ps.alive[0] = 1;
    ps.life[0] = 1;
    lookThroughNarrowFrustum();
    CurrentVertex left[2];
    for (const bool inView : {true, false}) {
        ps.positions[0] = {0, 0, inView ? -0.5f : 0.5f};
        glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
        glNormal3f(0, 0, 1);
        glTexCoord2f(0.25f, 0.75f);
        EXPECT_EQ(primitivesDrawn([&] { ps.draw(); }) > 0, inView);
        left[inView] = currentVertex();
    }
    EXPECT_EQ(vertexDifferences(left[true], left[false]), "");
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    forgetGlState();
}

}  // namespace
