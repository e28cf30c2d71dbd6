// The eleven scenes' entry points, for the scene table (scene_table.cpp),
// and the sky model the opening flight loads and the symbols scene reuses.
// A scene without a stateful step has no update (or reset): the table gives
// it a step that does nothing. Each scene's maths, the parts worth checking
// on their own, is declared in its own header, sceneK.h.
#pragma once

#include "assets/ase_model.h"

extern AseModel skyModel;

// The opening flight, the symbols, the clouds, the cloud tunnel, the bars.
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

// The ribbons, the flowers, the city, the ring ship, the piece, the credits.
void initScene5();
void updateScene5();
void renderScene5();

void initScene6();
void updateScene6();
void renderScene6();

void initScene7();
void updateScene7();
void resetScene7();
void renderScene7();

void initScene8();
void updateScene8();
void renderScene8();

void initScene9();
void updateScene9();
void renderScene9();

void initScene10();
void updateScene10();
void renderScene10();
