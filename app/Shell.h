#pragma once

#include "app/MeshSlot.h"
#include "app/MetricSwitch.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class Metric;

// The viewer's display state, touched only on the GLUT thread.
// The active metric, whose program stays bound between frames; null while
// none could be built.
extern Metric* current;
// Draw the primitive as wireframe (true) or solid (false).
extern bool wire;
// 0 sphere, 1 or 2 teapot, 3 the loaded mesh; any other value, or 3 without
// a mesh, is reset to 0 by the next frame.
extern int prim;
// The sphere's slices and stacks, 3 to kMaxDetail: GLUT draws it up to
// kGlutDetail, the viewer's own buffers above.
extern int detail;
constexpr int kGlutDetail = 256, kMaxDetail = 1000;
// Show the status line while a metric is on; on at start, h toggles it.
extern bool showStatus;

// The GLUT display and idle callback: rebuilds the metric if its files have
// changed (see reloadChanged), takes in the mesh file's changes (see
// reloadMesh), then draws one whole frame and shows it.
void renderScene();
// Draws one whole frame into the back buffer without showing it.
void drawScene();
// Shows shape 0 (the sphere), 1 or 2 (the teapot), or 3 (the loaded mesh;
// nothing happens without one).
void chooseShape(int shape);
// Draws the primitive that prim and wire select; the mesh's simplified copy
// while a right or middle drag or the p sweep is in progress.
void drawPrimitive();
// Draws over the frame: while the last build or the last read of the mesh
// file has failed, failureLines() then meshFailureLines() at the top left;
// while a metric is on (never after a failed build) and showStatus holds,
// statusLine() at the bottom left. The note about a file just saved
// (recentSaveNote) goes under the failure lines if the save failed, or else
// under the status line, shown for it even while showStatus is off.
void drawOverlay();

// The viewer's keys: e, t, r, m choose a metric (rebuilding it from its
// files), f toggles wireframe, 1 to 3 choose the primitive, 4 the loaded mesh
// (nothing without one), h hides or shows the status line, x exports the
// shape (exportShapeToFolder), q and Escape quit
// with status 0. + and = raise the Minkowski exponent a step, - lowers it
// (raiseP, lowerP; either stops a sweep); a starts or stops the sweep. s
// saves the view (requestSnapshot), Tab shows or hides the panel.
// Case-sensitive; anything else is ignored.
void processNormalKeys(unsigned char key, int x, int y);
// GLUT special-key callback: arrows and function keys do nothing.
void processSpecialKeys(int key, int x, int y);
