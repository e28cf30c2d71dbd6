// The generated sky and backdrop read back through the program's own model
// reader and texture manager, from a data folder laid out as the program
// finds it.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "ase/shared_models.h"
#include "assets/ase_model.h"
#include "data_folder.h"
#include "gfx/texture_manager.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

// Runs with the working directory at dir: the readers open paths relative
// to it, as the program does beside its data.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

}  // namespace

TEST(ContentModelsGl, SkyAndBackdropLoadWithTheirNebulaTextures) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    TempDir data;
    std::string error;
    ASSERT_TRUE(writeDataGroup(DataGroup::Images, data.path(), error)) << error;
    ASSERT_TRUE(writeDataGroup(DataGroup::Models, data.path(), error)) << error;
    WorkingDirectory here(data.path());
    TextureManager textures;
    const std::pair<const char*, AseScene> cases[] = {{"models/pallo.ASE", skySphereScene()},
                                                      {"models/tausta2.ASE", backdropScene()}};
    for (const auto& [path, scene] : cases) {
        SCOPED_TRACE(path);
        AseModel model;
        model.load(path, &textures);
        ASSERT_EQ(model.meshCount(), 1);
        const AseMesh& mesh = *model.meshes[0];
        const Mesh& written = scene.objects[0].mesh;
        EXPECT_EQ(mesh.numVertex, written.vertices.size());
        EXPECT_EQ(mesh.numFaces, written.faces.size());
        EXPECT_EQ(mesh.numTVFaces, written.faces.size());
        for (uint32_t f = 0; f < mesh.numFaces; ++f) ASSERT_TRUE(mesh.faceIsValid(f));
        const int texture = model.meshTexture(mesh);
        ASSERT_GE(texture, 0);
        EXPECT_EQ(textures.fileNames[texture], scene.materials[0].bitmap);
        // Program axes: the file's top (z) is up (y).
        const Vec3& top = mesh.vertices[0];
        EXPECT_NEAR(top.x, 0, 1e-3);
        EXPECT_GT(top.y, 299);
        EXPECT_NEAR(top.z, 0, 1e-3);
        // The reader's normal rule, (c - b) x (c - a), turns faces wound to
        // be seen from inside into normals pointing outwards. No scene
        // lights these models; what matters is that no normal degenerates.
        model.computeNormals();
        for (uint32_t i = 0; i < mesh.numVertex; ++i) {
            const Vec3& n = mesh.vertexNormals[i];
            const Vec3& v = mesh.vertices[i];
            EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1, 1e-3);
            EXPECT_GT(n.x * v.x + n.y * v.y + n.z * v.z, 0);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
