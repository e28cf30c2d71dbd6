// Scene 5, ribbons: thirteen flat coloured bands crawl head first along
// random right-angled paths above the tile field. Each of the scene's four
// sections rides the head of one ribbon, gliding over from the previous one
// when a section starts. Every frame follows from the clock alone; the
// paths are made once at start-up from the program's own generator.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "gfx/engine.h"
#include "gfx/gl_state.h"
#include "runtime/timeline/clock.h"
#include "runtime/timeline/timeline.h"
#include "scenes/scene5.h"
#include "scenes/scene_common.h"
#include "scenes/scene_entries.h"
#include "scenes/tile_field.h"

RibbonPath ribbonPaths[kRibbonCount];

namespace {

constexpr int kMovesPerRibbon = 35;
constexpr float kBodyMoves = 24;    // a ribbon is at most this long
constexpr float kQuadStep = 0.04f;  // path parameter per quad

void drawScene5();
void drawRibbon(int i, float Z);

// The heading turned a quarter about the y axis.
Vec3 quarterTurn(Vec3 d) { return {-d.z, 0, d.x}; }

}  // namespace

void initScene5() {
    seedRandom(3244);
    for (int i = 0; i < kRibbonCount; ++i) {
        RibbonPath& r = ribbonPaths[i];
        r.moveCount = kMovesPerRibbon;
        r.moves.assign(kMovesPerRibbon, 0);
        const uint32_t a = nextRandom();
        if (a % 3 == 1) {
            const uint32_t b = nextRandom() & 1;
            r.direction = {0, 0, (static_cast<float>(b) - 0.5f) * 2};
        } else {
            r.direction = {static_cast<float>(a % 3) - 1, 0, 0};
        }
        // The first draw goes to z, the second to x.
        const uint32_t c = nextRandom() % 6;
        const uint32_t d = nextRandom() % 6;
        r.start = {static_cast<float>(d) - 3, 22 - 0.8f * static_cast<float>(i), static_cast<float>(c) - 3};
        // Straight two times in three, a turn to either side otherwise.
        for (int j = 0; j < kMovesPerRibbon; ++j) {
            r.moves[j] = std::max(static_cast<int32_t>(nextRandom() % 6) - 3, 0);
        }
        r.moves[0] = 0;
    }
}

void updateScene5() {}

void renderScene5() {
    beginSceneFrame();
    drawScene5();
    glowAndComposite(0.002f);
    mixGlowOnTrackB();
    fadeIn(kRibbonsFadeIn);
    fadeOut(kRibbonsFadeOut);
}

// Beyond the last move the path carries straight on along its final
// heading, so parameters past the end (the scene asks for up to about 59)
// keep moving at the same pace.
Vec3 RibbonPath::pointAt(float t) const {
    if (t < 0) return start;
    const int whole = static_cast<int>(std::trunc(t));
    const int n = std::min(whole, moveCount);
    Vec3 p = start;
    Vec3 d = direction;
    for (int j = 0; j < n; ++j) {
        const int m = moves[j];
        const Vec3 A = quarterTurn(d);
        if (m == 0) {
            p = vec::add(p, d);
        } else if (m == 2) {
            p = vec::add(vec::add(p, d), A);
            d = A;
        } else {
            p = vec::sub(vec::add(p, d), A);
            d = vec::scaled(A, -1);
        }
    }
    const float f = t - static_cast<float>(n);
    const int m = n < moveCount ? moves[n] : 0;
    if (m == 0) return vec::add(p, vec::scaled(d, f));

    // A quarter circle of radius 1 about the corner's centre.
    const Vec3 A = quarterTurn(d);
    float theta = f * 1.570795f;
    Vec3 V = A;
    if (m == 2) {
        V = vec::scaled(A, -1);
    } else {
        theta = -theta;
    }
    const Vec3 W = {std::cos(theta) * V.x - std::sin(theta) * V.z, V.y, std::sin(theta) * V.x + std::cos(theta) * V.z};
    return m == 2 ? vec::add(vec::add(p, A), W) : vec::sub(vec::add(p, W), A);
}

float ribbonProgress(float sceneMs) { return sceneMs * (1.0f / 500.0f); }

// Ribbon i sets out (i - 1) moves into the scene.
std::optional<RibbonSpan> ribbonSpan(int i, float Z) {
    const float h = Z - static_cast<float>(i) + 1;
    if (!(h > 0)) return std::nullopt;
    const float u = std::max(h - kBodyMoves, 0.0f);
    if (!(u < h)) return std::nullopt;
    return RibbonSpan{u, h};
}

Colour ribbonColour(int i) {
    static constexpr Colour kColours[5] = {
        {0.6f, 0.6f, 0.1f}, {0, 0, 0}, {1, 1, 1}, {0.4f, 0, 0}, {0.7f, 0.3f, 0.1f},
    };
    return kColours[i % 5];
}

// The target crosses over within about a second of a B event, the eye
// within about two.
CameraShot ribbonShot(float now, float Z) {
    const float t = Z + std::sin(now * 0.002f);
    const int k = std::clamp(trackBCountInScene(), 0, kRibbonCount - 1);
    const float s1 = sigmoidStep(1 - trackBPulse1000());
    const float s2 = sigmoidStep(1 - trackBPulse2000());
    const Vec3 P = ribbonPaths[k].pointAt(t);
    Vec3 E = P;
    Vec3 C = P;
    if (k == 0) {
        E.x = (1 - s1) * (-60 - E.x) + s1 * E.x;
        C.x = E.x;
        E.y = (1 - s1) * (90 - E.y) + s1 * E.y;
        E.z = (1 - s1) * (-60 - E.z) + s1 * E.z;
    } else {
        const Vec3 Pp = ribbonPaths[k - 1].pointAt(t);
        const Vec3 Pc = ribbonPaths[k].pointAt(t);
        E = vec::add(Pp, vec::scaled(vec::sub(Pc, Pp), s2));
        C = vec::add(Pp, vec::scaled(vec::sub(Pc, Pp), s1));
    }
    return {{E.x + 2 * std::sin((1.0f / 2000.0f) * now), E.y + 3 * std::sin((1.0f / 1200.0f) * now) + 9, E.z}, C,
            {1, 0, 0}};
}

namespace {

// Leaves the depth test on; culling, texturing, blending and lighting off;
// no program in use.
void drawScene5() {
    const float now = musicTimeMs;
    const float Z = ribbonProgress(sceneTimeMs());
    clearSceneTarget({0.5f, 0, 0, 1});
    lookAt(ribbonShot(now, Z));

    setGlState({.depthTest = kOn, .cullFace = kOff, .blend = kBlendOff, .texture2D = kOff});

    ShaderManager& shaders = *engine->shaders;
    const unsigned int prog = engine->progEnvmap;
    shaders.use(prog);
    engine->textures->bind(engine->texPallo3);
    shaders.setSampler(prog, "tex");
    shaders.setUniform1f(prog, now * (1.0f / 700.0f), "time");
    glPushMatrix();
    glScalef(2, 1, 2);
    drawTileField(15);
    glPopMatrix();
    shaders.unuse();

    // Untextured, unlit bands in the horizontal plane.
    setGlState({.cullFace = kOff, .blend = kBlendOff, .texture2D = kOff});
    for (int i = 0; i < kRibbonCount; ++i) drawRibbon(i, Z);
}

// One band of quads from the tail to the head, half-width 0.6 swelling to
// 0.7 on the beat.
void drawRibbon(int i, float Z) {
    const RibbonPath& path = ribbonPaths[i];
    glPushMatrix();
    const Colour colour = ribbonColour(i);
    glColor3f(colour.r, colour.g, colour.b);
    if (const auto span = ribbonSpan(i, Z)) {
        float u = span->tail;
        do {
            const Vec3 P0 = path.pointAt(u);
            const Vec3 P1 = path.pointAt(u + kQuadStep);
            const Vec3 P2 = path.pointAt(u + 0.08f);
            const Vec3 T0 = vec::normalised(vec::sub(P1, P0));
            const Vec3 T1 = vec::normalised(vec::sub(P2, P1));
            const float w1 = 0.6f + 0.1f * beatPulse200();
            const Vec3 S1 = vec::scaled({-T0.z, 0, T0.x}, w1);
            const float w2 = 0.6f + 0.1f * beatPulse200();
            const Vec3 S2 = vec::scaled({-T1.z, 0, T1.x}, w2);
            glBegin(GL_QUADS);
            const Vec3 q[4] = {vec::sub(P0, S1), vec::sub(P1, S2), vec::add(P1, S2), vec::add(P0, S1)};
            for (const Vec3& v : q) glVertex3f(v.x, v.y, v.z);
            glEnd();
            u += kQuadStep;
        } while (u < span->head);
    }
    glPopMatrix();
}

}  // namespace
