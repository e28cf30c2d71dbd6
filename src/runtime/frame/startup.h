// Start-up: builds the engine and loads every scene's assets before the
// music starts, so no file is touched while it plays. Needs a current GL
// context; runs once, from main().
//
//   initialize([](StartupStep step) { ... });  // told after every step
#pragma once

#include <functional>

#include "runtime/report/startup_report.h"

// Called after each step of initialize(): GlChecks, Shaders, then Texture
// once per manifest image, Passes, then Scene once per scene loader. It may
// draw into the window (its state must be left as it was found).
using StartupObserver = std::function<void(StartupStep step)>;

void initialize(const StartupObserver& stepDone = {});
// How many times initialize() tells its observer.
int initializeStepCount();

// Compiles and links every program of the engine's slots again from its
// files, printing as start-up does; one that fails keeps its previous
// version. Returns how many failed.
int reloadPrograms();
