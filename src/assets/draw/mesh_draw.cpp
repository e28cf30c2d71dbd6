// Run-time side of the models: normals, immediate-mode drawing and the
// per-vertex deformations.
#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "assets/ase_model.h"
#include "gfx/gl_matrix.h"
#include "gfx/shader_manager.h"
#include "gfx/gl_state.h"

namespace {

Vec3 sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Unit vector, or (0, 0, 0) for a zero-length one (degenerate faces and
// vertices no face uses), so that no NaN ever reaches GL.
Vec3 normalised(const Vec3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0f) || !std::isfinite(length)) return {};
    return {v.x / length, v.y / length, v.z / length};
}

bool indexIn(int32_t index, uint32_t size) { return index >= 0 && static_cast<uint32_t>(index) < size; }

// Texture coordinate of corner k of face f; (0, 0) where the texture faces
// or vertices do not cover it.
TexCoord cornerTexCoord(const AseMesh& mesh, uint32_t f, int k) {
    if (f >= mesh.tfaces.size()) return {};
    const int32_t t = mesh.tfaces[f][k];
    return indexIn(t, static_cast<uint32_t>(mesh.texcoords.size())) ? mesh.texcoords[static_cast<uint32_t>(t)]
                                                                      : TexCoord{};
}

// What the GL would throw away of a model's triangles, worked out on the
// CPU so that they are not sent: those the view volume clips away whole,
// and, with face culling on, those wound the culled way beyond doubt.
struct Culling {
    ViewVolume view;
    int culledWinding = 0;  // +1 or -1 (clearWinding's), 0 for none, 2 for both
};

Culling currentCulling() {
    Culling c;
    if (!glIsEnabled(GL_CULL_FACE)) return c;
    GLint front = GL_CCW;
    GLint mode = GL_BACK;
    glGetIntegerv(GL_FRONT_FACE, &front);
    glGetIntegerv(GL_CULL_FACE_MODE, &mode);
    const int frontWinding = front == GL_CW ? -1 : 1;
    c.culledWinding = mode == GL_FRONT_AND_BACK ? 2 : mode == GL_FRONT ? frontWinding : -frontWinding;
    return c;
}

// The clip points of a mesh's vertices, one mesh at a time; grows to the
// largest mesh once.
std::vector<ClipPoint> clipped;

void sendCorner(const AseMesh& mesh, uint32_t f, int k, bool normals, bool textured) {
    const auto v = static_cast<uint32_t>(mesh.faces[f][k]);
    if (normals) {
        const Vec3& n = mesh.vertexNormals[v];
        glNormal3f(n.x, n.y, n.z);
    }
    if (textured) {
        const TexCoord t = cornerTexCoord(mesh, f, k);
        glTexCoord2f(t.u, t.v);
    }
    const Vec3& p = mesh.vertices[v];
    glVertex3f(p.x, p.y, p.z);
}

// The mesh's triangles in one glBegin/glEnd, each on its own as before
// (GL_TRIANGLES), so the same primitives for far fewer calls, less those
// culling says the GL would discard. Faces pointing outside the vertex list
// are skipped. Leaves the normal and texture coordinate of the last valid
// corner current, sent or not.
void drawFaces(const AseMesh& mesh, bool textured, Culling* culling, bool normalsSeen = true) {
    if (mesh.faces.empty()) return;
    const bool normals = !mesh.vertexNormals.empty();
    const bool sendNormals = normals && normalsSeen;
    const bool culls = culling && culling->view.trusted();
    if (culls) {
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        culling->view.setModelview(m);
        clipped.resize(mesh.vertices.size());
        for (size_t i = 0; i < mesh.vertices.size(); ++i) clipped[i] = culling->view.clip(mesh.vertices[i]);
    }
    bool anyValid = false;
    bool lastLeftOut = false;
    uint32_t last = 0;
    glBegin(GL_TRIANGLES);
    for (uint32_t f = 0; f < mesh.faces.size(); ++f) {
        if (!mesh.faceIsValid(f)) continue;
        anyValid = true;
        last = f;
        if (culls) {
            const ClipPoint& a = clipped[static_cast<uint32_t>(mesh.faces[f][0])];
            const ClipPoint& b = clipped[static_cast<uint32_t>(mesh.faces[f][1])];
            const ClipPoint& c = clipped[static_cast<uint32_t>(mesh.faces[f][2])];
            bool leftOut = (a.outside & b.outside & c.outside) != 0;
            if (!leftOut && culling->culledWinding != 0) {
                const int winding = clearWinding(a, b, c);
                leftOut = winding != 0 && (culling->culledWinding == 2 || winding == culling->culledWinding);
            }
            lastLeftOut = leftOut;
            if (leftOut) continue;
        }
        for (int k = 0; k < 3; ++k) sendCorner(mesh, f, k, sendNormals, textured);
    }
    glEnd();
    if (!anyValid || (!lastLeftOut && sendNormals == normals)) return;
    const auto v = static_cast<uint32_t>(mesh.faces[last][2]);
    if (normals) glNormal3f(mesh.vertexNormals[v].x, mesh.vertexNormals[v].y, mesh.vertexNormals[v].z);
    if (textured) {
        const TexCoord t = cornerTexCoord(mesh, last, 2);
        glTexCoord2f(t.u, t.v);
    }
}

// Leaves the node translation and rotation on the current matrix.
void applyNodeTransform(const AseMesh& mesh) {
    glTranslatef(mesh.nodePos.x, mesh.nodePos.y, mesh.nodePos.z);
    glRotatef(mesh.rotAngle, mesh.rotAxis.x, mesh.rotAxis.y, mesh.rotAxis.z);
}

}  // namespace

void AseMesh::computeNormals() {
    if (faceNormals.size() != faces.size() || faceNormals.empty()) {
        faceNormals.assign(faces.size(), Vec3{});
        vertexNormals.assign(vertices.size(), Vec3{});
        savedVertices.assign(vertices.size(), Vec3{});
    }
    for (Vec3& n : vertexNormals) n = {};
    for (uint32_t f = 0; f < faces.size(); ++f) {
        if (!faceIsValid(f)) {
            faceNormals[f] = {};
            continue;
        }
        const Vec3& a = vertices[static_cast<uint32_t>(faces[f][0])];
        const Vec3& b = vertices[static_cast<uint32_t>(faces[f][1])];
        const Vec3& c = vertices[static_cast<uint32_t>(faces[f][2])];
        const Vec3 d1 = sub(c, b);
        const Vec3 d2 = sub(c, a);
        const Vec3 n = normalised({d1.y * d2.z - d1.z * d2.y, d1.z * d2.x - d1.x * d2.z, d1.x * d2.y - d1.y * d2.x});
        faceNormals[f] = n;
        for (int k = 0; k < 3; ++k) {
            Vec3& vn = vertexNormals[static_cast<uint32_t>(faces[f][k])];
            vn = {vn.x + n.x, vn.y + n.y, vn.z + n.z};
        }
    }
    for (Vec3& n : vertexNormals) n = normalised(n);
}

void AseMesh::drawTextured() const { drawFaces(*this, true, nullptr); }

void AseMesh::drawUntextured() const { drawFaces(*this, false, nullptr); }

void AseMesh::ripple(float frequency, float amplitude, float phase) {
    for (Vec3& v : vertices) {
        const float r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        const float k = 1.0f + amplitude * (std::sin(r * frequency + phase) + 1.0f) * 0.5f;
        v = {v.x * k, v.y * k, v.z * k};
    }
}

void AseMesh::saveVertices() { savedVertices = vertices; }

void AseMesh::restoreVertices() {
    if (savedVertices.size() == vertices.size()) vertices = savedVertices;
}

void AseModel::draw() const {
    Culling culling = currentCulling();
    glPushMatrix();
    for (const auto& mesh : meshes) {
        glPushMatrix();
        applyNodeTransform(*mesh);
        const int32_t texture = meshTexture(*mesh);
        // A mesh without texture vertices has nothing to map a texture with.
        if (texture == -1 || mesh->texcoords.empty() || !textures) {
            setGlState({.texture2D = kOff});
            drawFaces(*mesh, false, &culling);
        } else {
            textures->bind(texture);  // texturing on
            drawFaces(*mesh, true, &culling);
        }
        glPopMatrix();
    }
    glPopMatrix();
}

void AseModel::drawFlat(int highlight) const {
    Culling culling = currentCulling();
    // Flat colours: without lighting or a program nothing reads a normal,
    // and only the last one is left current.
    const bool normalsSeen = glIsEnabled(GL_LIGHTING) == GL_TRUE || currentProgram() != 0;
    glPushMatrix();
    setGlState({.texture2D = kOff});
    for (size_t i = 0; i < meshes.size(); ++i) {
        glPushMatrix();
        applyNodeTransform(*meshes[i]);
        glColor3f(0, 0, 0);
        if (static_cast<int>(i) == highlight) glColor3f(1, 1, 1);
        drawFaces(*meshes[i], false, &culling, normalsSeen);
        glPopMatrix();
    }
    glPopMatrix();
}

void AseModel::scale(float sx, float sy, float sz) {
    for (auto& mesh : meshes)
        for (Vec3& v : mesh->vertices) v = {v.x * sx, v.y * sy, v.z * sz};
}

void AseModel::ripple(float frequency, float amplitude, float phase) {
    for (auto& mesh : meshes) mesh->ripple(frequency, amplitude, phase);
}

void AseModel::saveVertices() {
    for (auto& mesh : meshes) mesh->saveVertices();
}

void AseModel::restoreVertices() {
    for (auto& mesh : meshes) mesh->restoreVertices();
}

void AseModel::computeNormals() {
    for (auto& mesh : meshes) mesh->computeNormals();
}
