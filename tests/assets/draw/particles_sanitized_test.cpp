// The particle system with odd arguments under the sanitizers.
#include <gtest/gtest.h>

#include <cmath>

#include "assets/draw/particles.h"
#include "assets/spline_path.h"
#include "support/sanitized/gl_ready.h"

namespace {

TEST(ParticleAdversarial, OddArgumentsStayInsideThePool) {
    ParticleSystem ps;
    ps.emit(0, -5, 1, 1, 1);
    ps.emit(99, 3, 1, 1, 1);
    ps.emit(-4, 3, NAN, 1, 1);
    ps.respawn(-1, 0, 1, 1, 1);
    ps.respawn(ParticleSystem::kSlots, 0, 1, 1, 1);
    ps.update(1e30f);
    ps.trailCount = 100000;
    ps.sortTrail();
    ps.resetTrail();
    if (!glReady()) GTEST_SKIP() << "no display";
    SplinePath empty;
    ps.buildTrail(empty, NAN);
    ps.buildTrail(empty, 1e30f);
    EXPECT_EQ(ps.trailCount, 0);
    // So far from 0 that a step of 0.01 does not move the parameter.
    ps.buildTrail(empty, 1e7f);
    EXPECT_EQ(ps.trailCount, ParticleSystem::kSlots);
    ps.buildTrail(empty, 5);
    ps.sortTrail();
    ps.draw();
}

}  // namespace
