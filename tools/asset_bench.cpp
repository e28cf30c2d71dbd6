// asset-bench: what the model, path and particle code costs on this machine.
//
//   asset-bench [--runs N] [--data DIR]
//
// Prints the median time of each step in milliseconds: loading a generated
// 64x64-grid model (8192 faces) and computing its normals, one ripple frame
// (save, ripple, restore), 800 path evaluations plus the sort of an
// 800-point trail (the CPU side of one trail frame), one evaluation of a
// path whose one segment has 20000 points, and one update of a full
// 5000-particle pool. With --data, also every file of DIR/models read as a
// model, from disk and then again from memory as during start-up. Needs
// no GL.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "assets/ase_model.h"
#include "assets/ase_text.h"
#include "assets/draw/particles.h"
#include "assets/spline_path.h"

namespace {

double medianMs(int runs, const std::function<void()>& step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void writeGridModel(const std::string& path, int n) {
    std::ofstream out(path);
    out << "*GEOMOBJECT {\n*NODE_NAME \"grid\"\n*MESH {\n*MESH_NUMVERTEX " << (n + 1) * (n + 1)
        << "\n*MESH_NUMFACES " << 2 * n * n << "\n*MESH_VERTEX_LIST {\n";
    for (int y = 0, i = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x, ++i)
            out << "*MESH_VERTEX " << i << "\t" << x << ".0000\t" << y << ".0000\t" << std::sin(x * 0.3) << "\n";
    out << "}\n*MESH_FACE_LIST {\n";
    for (int y = 0, f = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int a = y * (n + 1) + x, b = a + 1, c = a + n + 1, d = c + 1;
            out << "*MESH_FACE " << f++ << ": A: " << a << " B: " << b << " C: " << d << " AB: 1 BC: 1 CA: 0\n";
            out << "*MESH_FACE " << f++ << ": A: " << d << " B: " << c << " C: " << a << " AB: 1 BC: 1 CA: 0\n";
        }
    out << "}\n}\n*MATERIAL_REF 0\n}\n";
}

void writeSpiralShape(const std::string& path, int knots) {
    std::ofstream out(path);
    const int rows = 3 * (knots - 1) + 1;
    out << "*SHAPEOBJECT {\n*SHAPE_LINE 0 {\n*SHAPE_VERTEXCOUNT " << rows << "\n";
    for (int i = 0; i < rows; ++i)
        out << (i % 3 == 0 ? "*SHAPE_VERTEX_KNOT " : "*SHAPE_VERTEX_INTERP ") << i << "\t" << std::cos(i * 0.4) * 50
            << "\t" << std::sin(i * 0.4) * 50 << "\t" << i << "\n";
    out << "}\n}\n";
}

BezierSegment longSegment(int points) {
    BezierSegment segment;
    for (int i = 0; i < points; ++i)
        segment.points.push_back({std::cos(i * 0.01f) * 50, std::sin(i * 0.013f) * 50, i * 0.01f});
    segment.count = points;
    return segment;
}

// Each model file once from disk, then with every file already in memory,
// as the scene loaders find them during start-up.
void benchDataModels(const std::string& dir, int runs) {
    std::vector<std::string> files;
    uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(dir) / "models"))
        if (entry.is_regular_file()) {
            files.push_back(entry.path().string());
            bytes += entry.file_size();
        }
    std::sort(files.begin(), files.end());
    const auto loadAll = [&] {
        for (const std::string& f : files) {
            AseModel m;
            m.load(f.c_str(), nullptr);
        }
    };
    const double diskMs = medianMs(runs, loadAll);
    AseFileCache cache;
    loadAll();
    const double memoryMs = medianMs(runs, loadAll);
    std::printf("%s/models (%zu files, %.1f MiB) read as models: %.3f ms from disk, %.3f ms from memory\n",
                dir.c_str(), files.size(), static_cast<double>(bytes) / (1 << 20), diskMs, memoryMs);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 21;
    std::string data;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--data") == 0) data = argv[i + 1];
    }

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "asset-bench";
    std::filesystem::create_directories(dir);
    const std::string model = (dir / "grid.ASE").string();
    const std::string shape = (dir / "spiral.ase").string();
    writeGridModel(model, 64);
    writeSpiralShape(shape, 12);
    FILE* quiet = std::fopen("/dev/null", "w");
    if (quiet) aseProgressOut = quiet;

    AseModel grid;
    const double loadMs = medianMs(runs, [&] {
        AseModel m;
        m.load(model.c_str(), nullptr);
        m.computeNormals();
        if (grid.meshCount() == 0) grid.meshes = std::move(m.meshes);
    });
    const double rippleMs = medianMs(runs, [&] {
        grid.saveVertices();
        grid.ripple(0.04f, 0.2f, 1.0f);
        grid.restoreVertices();
    });

    SplinePath path;
    path.loadShape(shape.c_str(), 0);
    ParticleSystem trail;
    const double trailMs = medianMs(runs, [&] {
        trail.resetTrail();
        for (float u = 2.0f; u < 10.0f && trail.trailCount < ParticleSystem::kSlots; u += 0.01f) {
            const Vec3 p = path.evaluate(u);
            trail.positions[trail.trailCount] = p;
            trail.life[trail.trailCount] = p.x - 100.0f;  // a stand-in for eye depth
            trail.trailCount += 1;
        }
        trail.sortTrail();
    });

    SplinePath longPath;
    longPath.segments.push_back(longSegment(20000));
    float along = 0.0f;
    const double longMs = medianMs(runs, [&] {
        along += 0.37f;
        longPath.evaluate(along - static_cast<float>(static_cast<int>(along)));
    });

    ParticleSystem dust;
    dust.emit(0, 10000, 2000, 400, 2000);
    const double updateMs = medianMs(runs, [&] { dust.update(0.016f); });

    std::printf("model load + normals (64x64 grid, %u faces): %.3f ms\n", grid.meshes[0]->numFaces, loadMs);
    std::printf("ripple frame (save, ripple, restore, %u vertices): %.3f ms\n", grid.meshes[0]->numVertex, rippleMs);
    std::printf("trail frame without GL (%d evaluations + sort): %.3f ms\n", trail.trailCount, trailMs);
    std::printf("path evaluation, one segment of 20000 points: %.3f ms\n", longMs);
    std::printf("particle update (5000 live): %.3f ms\n", updateMs);
    if (!data.empty()) benchDataModels(data, runs);
    std::printf("median of %d runs\n", runs);
    std::filesystem::remove_all(dir);
    return 0;
}
