// The model reader on a file in memory, then everything the program does
// with a model that needs no GL: normals, the ripple and its undo, scaling,
// lookups. Every number that would reach GL must be finite.
#include <cmath>

#include "assets/ase_model.h"
#include "fuzz_target.h"

namespace {

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void check(const AseModel& model) {
    for (const auto& mesh : model.meshes) {
        if (mesh->vertices.size() != mesh->numVertex || mesh->faces.size() != mesh->numFaces ||
            mesh->texcoords.size() != mesh->numTVertex || mesh->tfaces.size() != mesh->numTVFaces)
            fuzzTrap("a count differs from its list");
        if (!finite(mesh->nodePos) || !finite(mesh->rotAxis) || !std::isfinite(mesh->rotAngle))
            fuzzTrap("a node value is not finite");
        for (const Vec3& v : mesh->vertices)
            if (!finite(v)) fuzzTrap("a vertex is not finite");
        for (const Vec3& n : mesh->vertexNormals)
            if (!finite(n)) fuzzTrap("a normal is not finite");
        for (const TexCoord& t : mesh->texcoords)
            if (!std::isfinite(t.u) || !std::isfinite(t.v)) fuzzTrap("a texture coordinate is not finite");
        if (model.meshTexture(*mesh) != -1) fuzzTrap("a texture without a texture manager");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (quietReaders(), true);
    (void)quiet;
    AseModel model;
    model.load(*makeAseFile(data, size), "fuzz input", nullptr);
    model.computeNormals();
    model.saveVertices();
    model.ripple(0.04f, 0.2f, 1.0f);
    model.restoreVertices();
    model.scale(2.0f, 1.0f, 0.5f);
    model.computeNormals();
    check(model);
    model.findMesh("\"sphere\"");
    return 0;
}
