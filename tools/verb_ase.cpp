#include <cstdio>

#include "assets/ase_model.h"
#include "assets/ase_text.h"
#include "verbs.h"

// Per mesh: a header line, its vertices as stored (program axes, relative
// to the node) and its faces as read. The reader's progress goes to stderr
// so stdout stays line-oriented.
int inspectAse(const VerbArgs& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: afterglow-inspect ase FILE\n");
        return 2;
    }
    const char* path = args[0].c_str();
    if (!readableOrSay(path)) return 1;
    aseProgressOut = stderr;
    AseModel model;
    model.load(path, nullptr);
    std::fputc('\n', stderr);
    for (int i = 0; i < model.meshCount(); ++i) {
        const AseMesh& mesh = *model.meshes[static_cast<size_t>(i)];
        std::printf("mesh %d name=%s vertices=%u faces=%u tverts=%u material=%d texture=%d\n", i, mesh.nodeName,
                    mesh.numVertex, mesh.numFaces, mesh.numTVertex, mesh.materialRef, model.meshTexture(mesh));
        for (const Vec3& v : mesh.vertices) std::printf("v %.6g %.6g %.6g\n", v.x, v.y, v.z);
        for (const FaceIndices& f : mesh.faces) std::printf("f %d %d %d\n", f[0], f[1], f[2]);
    }
    return 0;
}
