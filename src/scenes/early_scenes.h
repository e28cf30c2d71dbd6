// Entry points of the first five scenes (the opening flight, the symbols,
// the clouds, the cloud tunnel, the bars) for the scene table, and the sky
// model the opening flight loads and the symbols scene reuses. Each scene's
// maths, the parts worth checking on their own, is declared in its own
// header, sceneK.h.
#pragma once

#include "assets/ase_model.h"

extern AseModel skyModel;

void initScene0();
void updateScene0();
void resetScene0();
void renderScene0();

void initScene1();
void updateScene1();
void resetScene1();
void renderScene1();

void initScene2();
void renderScene2();

void initScene3();
void renderScene3();

void initScene4();
void renderScene4();
