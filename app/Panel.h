#pragma once

#include <functional>

// The control panel: Dear ImGui over the picture at the top left, at most
// 320 pixels wide and as tall as the window allows (it scrolls beyond). It
// shows what the shell holds and changes it only through the functions the
// keys and options use (changeMetric, setP, toggleSweep, setUniformValue,
// loadMesh, chooseShape, requestSnapshot, the camera's), after the panel is
// drawn; it holds nothing of the viewer's state itself. Hidden at start.

// Shows or hides the panel (Tab). The first show makes the ImGui context.
void togglePanel();
bool panelShown();
// Draws the panel over the frame while it is shown, then does what its
// controls asked for; does nothing while it is hidden.
void drawPanel();
// Does `action` once the next panel frame is drawn, as the controls' own
// actions are done.
void afterPanelFrame(std::function<void()> action);
// Whether a button pressed at (x, y), GLUT window coordinates, is the
// panel's: it is shown and covered that point in the last frame.
bool panelOwnsPoint(int x, int y);
// Whether a panel field had the keyboard in the last frame (a text field or
// a slider being edited): keys then go to the panel alone.
bool panelHasKeyboard();
