// Models from ASCII scene export files: one AseMesh per geometry object and
// one AseMaterial per top-level material, with the materials' bitmaps
// loaded as textures.
//
//   AseModel ring;
//   ring.load("models/rengas.ASE");   // textures through the engine's manager
//   ring.computeNormals();            // before lit drawing or saveVertices
//   ring.draw();
//   int sphere = ring.findMesh("\"sphere\"");   // names keep their quotes
//
// Positions are stored in the program's axes: a file point (x, y, z) becomes
// (x, z, -y); vertices are relative to their node position. Texture v is
// stored as 1 - v. Models are built at start-up and never freed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/ase_text.h"
#include "assets/vec_math.h"

class TextureManager;

struct TexCoord {
    float u = 0;
    float v = 0;
};

using FaceIndices = std::array<int32_t, 3>;

struct AseMaterial {
    int32_t textureIndex = -1;
};

struct AseMesh {
    // Empty until computeNormals; then one entry per face / vertex.
    std::vector<Vec3> faceNormals;
    char nodeName[256] = {};
    int32_t materialRef = 0;
    Vec3 nodePos;
    Vec3 rotAxis;
    float rotAngle = 0;  // degrees when drawn
    std::vector<Vec3> vertexNormals;
    uint32_t numTVertex = 0;
    uint32_t numTVFaces = 0;
    std::vector<FaceIndices> faces;   // vertex indices, as read (not validated)
    std::vector<FaceIndices> tfaces;  // texture-vertex indices, as read
    std::vector<Vec3> vertices;
    std::vector<TexCoord> texcoords;
    std::vector<Vec3> savedVertices;  // allocated by computeNormals
    uint32_t numVertex = 0;
    uint32_t numFaces = 0;

    // Smooth normals: each vertex gets the normalised sum of the unit
    // normals (c - b) x (c - a) of the faces that use it.
    void computeNormals();
    // Immediate-mode triangles with normals (once computed), texture
    // coordinates and positions; the caller binds the texture.
    void drawTextured() const;
    // The same without texture coordinates.
    void drawUntextured() const;
    // Scales every vertex away from the node origin by a factor between 1
    // and 1 + amplitude that varies with its distance.
    void ripple(float frequency, float amplitude, float phase);
    void saveVertices();
    void restoreVertices();

    // True when face f's three vertex indices lie inside the vertex list.
    bool faceIsValid(uint32_t f) const;
};

class AseModel {
public:
    AseModel() = default;

    // Reads the file; textures load through `textures` (null: no textures
    // are loaded and every material keeps index -1). A file that cannot be
    // read leaves the model unchanged; that, and a file that is cut short,
    // garbage, or has lists longer than the file or faces outside their
    // vertices, is named on stderr once.
    void load(const char* path, TextureManager* textures);
    void load(const char* path);  // through the engine's texture manager
    // The same from a file in memory; name is what messages call it.
    void load(const AseFile& file, const std::string& name, TextureManager* textures);

    // Index of the first mesh whose nodeName equals name byte for byte, or -1.
    int findMesh(const char* name) const;
    int meshCount() const { return static_cast<int>(meshes.size()); }

    // Each mesh with its node translation and rotation: textured when its
    // material has a texture, untextured otherwise. Leaves GL_TEXTURE_2D
    // enabled or disabled as the last mesh needed it; the matrix is restored.
    void draw() const;
    // Untextured, every mesh black except the one at index highlight, which
    // is white. Leaves GL_TEXTURE_2D disabled and the last colour current.
    void drawFlat(int highlight) const;
    // Multiplies every vertex component-wise (node positions stay).
    void scale(float sx, float sy, float sz);
    void ripple(float frequency, float amplitude, float phase);
    void saveVertices();
    void restoreVertices();
    void computeNormals();

    // Texture of the mesh's material, or -1 when it has none or its
    // materialRef lies outside the material list.
    int32_t meshTexture(const AseMesh& mesh) const;

    std::vector<std::unique_ptr<AseMesh>> meshes;
    std::vector<std::unique_ptr<AseMaterial>> materials;
    TextureManager* textures = nullptr;
};

// Texture file name from a *BITMAP word: the word is cut right after its
// first ".jpg" (any case, which drops a closing quote) and loses everything
// up to the last backslash before that; C:\maps\metal.jpg gives metal.jpg.
// Empty when nothing is left.
void aseBitmapFileName(const char* word, char (&name)[kAseWordSize]);
