// ASCII scene export text: materials, mesh objects and spline shapes laid
// out the way a real exporter writes them, so the program's readers (and
// any other tool that knows the format) take them as they are.
//
//   AseScene scene;
//   scene.materials.push_back({"nebula", "nebula.jpg"});
//   scene.objects.push_back({"sky", {}, makeSphere(500, 48, 24), 0});
//   std::string text = writeAse(scene);
//
// Points are in the exporter's axes (z up). Numbers are written with four
// decimals, so the text is the same on every run.
#pragma once

#include <string>
#include <vector>

#include "image/canvas.h"
#include "mesh/mesh.h"
#include "mesh/path.h"

struct AseMaterialInfo {
    std::string name;
    std::string bitmap;  // file name under "Textures/"; empty for none
    Rgb diffuse{0.6f, 0.6f, 0.6f};
};

struct AseObject {
    std::string name;
    Point3 position;  // the node's pivot; vertices are written in world space
    Mesh mesh;
    int materialRef = 0;
};

struct AseShape {
    std::string name;
    std::vector<std::vector<PathVertex>> lines;
};

struct AseScene {
    std::string sceneName;  // e.g. "pallo"
    std::vector<AseMaterialInfo> materials;
    std::vector<AseObject> objects;
    std::vector<AseShape> shapes;
};

std::string writeAse(const AseScene& scene);
