#include "ase/shared_models.h"

#include <cmath>

#include "image/image_file.h"

AseScene skySphereScene() {
    AseScene scene;
    scene.sceneName = "pallo";
    scene.materials.push_back({"nebula", "nebula.jpg", {1, 1, 1}});
    Mesh sphere = makeSphere(500, 40, 20);
    turnInsideOut(sphere);
    scene.objects.push_back({"sky", {}, std::move(sphere), 0});
    return scene;
}

AseScene backdropScene() {
    AseScene scene;
    scene.sceneName = "tausta2";
    scene.materials.push_back({"nebula2", "nebula2.jpg", {1, 1, 1}});
    // Polar angle runs from the top down; the hull bulges at the poles and
    // narrows at the waist, so the sky slides past at changing distances as
    // cameras circle inside it. Rows of equal polar angle keep the image's
    // latitudes, which is how the nebula was painted.
    const int rows = 24;
    std::vector<ProfilePoint> profile;
    for (int j = 0; j <= rows; ++j) {
        const float polar = 3.14159265f * j / rows;
        const float r = 300 * (1 + 0.1f * std::cos(2 * polar));
        profile.push_back({(j == 0 || j == rows) ? 0.0f : r * std::sin(polar), r * std::cos(polar)});
    }
    Mesh hull = revolveProfile(profile, 48);
    turnInsideOut(hull);
    scene.objects.push_back({"backdrop", {}, std::move(hull), 0});
    return scene;
}

std::vector<std::pair<std::string, AseScene>> sharedModels() {
    return {{"pallo.ASE", skySphereScene()}, {"tausta2.ASE", backdropScene()}};
}

bool writeSharedModels(const std::filesystem::path& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const auto& [name, scene] : sharedModels()) {
        const std::string text = writeAse(scene);
        if (!writeFileBytes(dir / name, std::vector<uint8_t>(text.begin(), text.end()), error)) return false;
    }
    return true;
}
