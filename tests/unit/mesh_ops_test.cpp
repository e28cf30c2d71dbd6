#include <gtest/gtest.h>

#include <cmath>

#include "assets/ase_model.h"

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
