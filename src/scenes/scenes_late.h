// Entry points of the second half of the presentation, scenes 5 to 10 (the
// ribbons, the flowers, the city, the ring ship, the piece, the credits),
// for the scene table. Each scene's maths, the parts worth checking on
// their own, is declared in its own header, sceneK.h.
#pragma once

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
