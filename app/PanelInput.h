#pragma once

// The viewer's GLUT input callbacks with the panel in front of the picture.
// While the panel is shown each event goes first to ImGui's GLUT backend;
// then, unless the panel has it, the viewer acts as it does without a panel
// (processNormalKeys, processSpecialKeys, view/Mouse's callbacks). The panel
// has the keys while one of its fields has the keyboard, and a button from a
// press on the panel to its release (meanwhile the viewer sees the pointer
// move with no button held). Tab is always the viewer's. Releases reach the
// backend even while the panel is hidden, so nothing stays held down in it.
// Positions are GLUT window coordinates.

// Registers the functions below with GLUT, replacing what Mouse registered;
// the reshape callback stays the camera's.
void installPanelInput();

void keyDown(unsigned char key, int x, int y);
void keyUp(unsigned char key, int x, int y);
void specialDown(int key, int x, int y);
void specialUp(int key, int x, int y);
void mouseButton(int button, int state, int x, int y);
void mouseDrag(int x, int y);
void mouseMove(int x, int y);
// The wheel scrolls the panel while it is shown; the viewer has no use for it.
void mouseWheel(int wheel, int direction, int x, int y);
