#include "runtime/frame/startup.h"

#include <GL/glew.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "assets/ase_text.h"
#include "assets/data_folders.h"
#include "gfx/engine.h"
#include "gfx/gl_check.h"
#include "gfx/message_box.h"
#include "gfx/gl_state.h"
#include "runtime/replay/replay.h"
#include "scenes/scenes.h"

namespace {

struct ProgramEntry {
    unsigned int Engine::*slot;
    const char* fragment;
    const char* vertex;
};

// The load order fixes nothing but the console output; the slots do.
const ProgramEntry kPrograms[] = {
    {&Engine::progPhong, "shaders\\phong.ps", "shaders\\phong.vs"},
    {&Engine::progEnvmap, "shaders\\envmap.ps", "shaders\\envmap.vs"},
    {&Engine::progEnvmapTex, "shaders\\envmaptex.ps", "shaders\\envmaptex.vs"},
    {&Engine::progSweepTex, "shaders\\sweeptex.ps", "shaders\\envmaptex.vs"},
    {&Engine::progPhongDist, "shaders\\phongdist.ps", "shaders\\phongdist.vs"},
    {&Engine::progPhongDist2, "shaders\\phongdist2.ps", "shaders\\phongdist2.vs"},
    {&Engine::progEqu, "shaders\\equ.ps", "shaders\\equ.vs"},
    {&Engine::progEqu2, "shaders\\equ2.ps", "shaders\\equ2.vs"},
};

struct TextureEntry {
    int Engine::*slot;
    const char* colour;
    const char* alpha;  // null: a plain load
};

// Indices are handed out in load order, so this order fixes them: 0 to 13.
const TextureEntry kTextures[] = {
    {&Engine::texGradient, "gradient.jpg", nullptr},
    {&Engine::texParticleMask, "particle2mask.jpg", nullptr},
    {&Engine::texPallo2, "pallo2.jpg", "pallo.jpg"},
    {&Engine::texNebula, "nebula.jpg", nullptr},
    {&Engine::texPallo3, "pallo3.jpg", nullptr},
    {&Engine::texGround, "ground.jpg", nullptr},
    {&Engine::texCloud, "cloud.jpg", "cloud.jpg"},
    {&Engine::texLogo, "black_1024.jpg", "logo.jpg"},
    {&Engine::texParticle, "particle2.jpg", "particle2mask.jpg"},
    {&Engine::texNebula2, "nebula2.jpg", nullptr},
    {&Engine::texRing, "white_512.jpg", "ring.jpg"},
    {&Engine::texCredits, "credits.jpg", "credits.jpg"},
    {&Engine::texPallo, "pallo.jpg", "pallo.jpg"},
    {&Engine::texCloudy, "cloudy.jpg", nullptr},
};

void loadPrograms(Engine& e) {
    for (const ProgramEntry& p : kPrograms) {
        e.*p.slot = e.shaders->loadProgram(p.fragment, p.vertex);
        checkGlErrorsInDebug((std::string("the program of ") + p.fragment).c_str());
    }
}

void loadTextures(Engine& e, const StartupObserver& stepDone) {
    for (const TextureEntry& t : kTextures) {
        e.*t.slot = t.alpha ? e.textures->loadWithAlpha(t.colour, t.alpha, GL_LINEAR)
                            : e.textures->load(t.colour, GL_LINEAR);
        checkGlErrorsInDebug((std::string("the texture ") + t.colour).c_str());
        stepDone(StartupStep::Texture);
    }
}

}  // namespace

void initialize(const StartupObserver& observer) {
    const StartupObserver stepDone = observer ? observer : [](StartupStep) {};
    reportMissingDataFolders([](const char* text) { showMessageBox(text, "afterglow", MessageIcon::Warning); });
    engine = new Engine();  // lives until the process exits
    engine->shaders = std::make_unique<ShaderManager>();
    engine->shaders->init();
    // GLEW probes the driver with queries that some contexts reject; such a
    // flag is not a fault of ours.
    glGetError();
    stepDone(StartupStep::GlChecks);
    loadPrograms(*engine);
    stepDone(StartupStep::Shaders);
    engine->textures = std::make_unique<TextureManager>();
    loadTextures(*engine, stepDone);
    std::printf("initialize()\n");
    glExtensions.load();
    checkGlErrorsInDebug("the render target");
    engine->postFx = std::make_unique<PostFx>();
    engine->postFx->init(*engine->textures, GL_LINEAR);
    checkGlErrorsInDebug("the post-processing buffers");
    // Several loaders read the same model files; each is read from disk once.
    const AseFileCache modelFiles;
    stepDone(StartupStep::Passes);
    for (int k = 0; k < kSceneCount; ++k) {
        sceneTable[k].init();
        const std::string step = "the loader of scene " + std::to_string(k);
        checkGlErrorsInDebug(step.c_str());
        stepDone(StartupStep::Scene);
    }
    // Whatever start-up drew with, the frames begin from what the funnel knows.
    forgetGlState();
    rememberStartOfShow();
    setGlState({.depthTest = kOn});
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    checkGlErrorsInDebug("start-up");
}

int reloadPrograms() {
    int failed = 0;
    for (const ProgramEntry& p : kPrograms) {
        const unsigned int previous = engine->*p.slot;
        engine->*p.slot = engine->shaders->reloadProgram(previous, p.fragment, p.vertex);
        if (engine->*p.slot == previous) failed += 1;
    }
    checkGlErrorsInDebug("reloading the programs");
    return failed;
}

int initializeStepCount() { return 3 + static_cast<int>(std::size(kTextures)) + kSceneCount; }
