// Start-up: builds the engine and loads every scene's assets before the
// music starts, so no file is touched while it plays. Needs a current GL
// context; runs once, from main().
#pragma once

void initialize();
