// The shape reader on a file in memory, for the first few shape objects,
// and the paths it makes evaluated the way the scenes and the particle
// trails do, inside and far outside their range: the points must be
// finite, and reading must leave every segment with its points.
#include <cmath>

#include "assets/spline_path.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (quietReaders(), true);
    (void)quiet;
    const auto file = makeAseFile(data, size);
    for (int index = 0; index < 3; ++index) {
        SplinePath path;
        path.loadShape(*file, "fuzz input", index);
        for (const BezierSegment& s : path.segments)
            if (s.count < 2 || static_cast<size_t>(s.count) != s.points.size()) fuzzTrap("a segment lost its points");
        path.scale(0.07f);
        for (float t : {-1e30f, -3.5f, -0.5f, 0.0f, 0.25f, 0.5f, 1.0f, 1.999f, 2.0f, 7.25f, 1e30f, NAN, INFINITY}) {
            const Vec3 p = path.evaluate(t);
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) fuzzTrap("a path point is not finite");
        }
        // A trail walks 8 units of parameter in steps of 0.01.
        for (float u = 0.0f; u < 8.0f; u += 0.37f) path.evaluate(u);
    }
    return 0;
}
