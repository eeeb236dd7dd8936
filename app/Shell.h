#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class Metric;
class MeshBuffers;

// The viewer's display state, touched only on the GLUT thread.
// The active metric, whose program stays bound between frames; null while
// none could be built.
extern Metric* current;
// Draw the primitive as wireframe (true) or solid (false).
extern bool wire;
// 0 sphere, 1 or 2 teapot, 3 the loaded mesh; any other value, or 3 without
// a mesh, is reset to 0 by the next frame.
extern int prim;
// Show the status line while a metric is on; on at start, h toggles it.
extern bool showStatus;
// The mesh loadMesh read last; null until one is loaded.
extern std::unique_ptr<MeshBuffers> mesh;

// The GLUT display and idle callback: rebuilds the metric if its files have
// changed (see reloadChanged), then draws one whole frame and shows it.
void renderScene();
// Draws one whole frame into the back buffer without showing it.
void drawScene();
// Reads the mesh file at `path` and uploads it; needs the GL context. Throws
// std::runtime_error with one line naming the file and the reason.
void loadMesh(const std::string& path);
// Draws the primitive that prim and wire select.
void drawPrimitive();
// Draws over the frame: while the last build has failed, failureLines() at
// the top left; otherwise, while a metric is on and showStatus holds,
// statusLine() at the bottom left.
void drawOverlay();

// GLUT keyboard callback: e, t, r, m choose a metric (rebuilding it from its
// files), f toggles wireframe, 1 to 3 choose the primitive, 4 the loaded mesh
// (nothing without one), h hides or shows the status line, q and Escape quit
// with status 0. + and = raise the Minkowski exponent a step, - lowers it
// (raiseP, lowerP; either stops a sweep); a starts or stops the sweep.
// Case-sensitive; anything else is ignored.
void processNormalKeys(unsigned char key, int x, int y);
// GLUT special-key callback: arrows and function keys do nothing.
void processSpecialKeys(int key, int x, int y);

// Replaces the current metric by a newly built one: 1 city-block, 2
// Riemannian from "riemann.mat", 3 Minkowski with getP(), anything else
// Euclidean. The old metric goes first. If the new one cannot be built, its
// message is written as one line to std::cerr, current stays null and no
// program is bound, so the primitive is drawn by the fixed-function pipeline
// until a later switch succeeds. Either way, the files of the metric asked
// for are watched from then on.
void changeMetric(int index);

// The Minkowski exponent: 3 at start, kept across switches and rebuilds.
// Infinity is std::numeric_limits<float>::infinity().
float getP();
// Sets the exponent, clamped by clampP (NaN is ignored), and stops the
// sweep; a current Minkowski metric takes it at once, without a rebuild.
void setP(float p);
// Moves a running sweep to `elapsedMs` (GLUT_ELAPSED_TIME); the first call
// after the sweep starts sets its time zero. Called once a frame.
void advanceSweep(int elapsedMs);

// Rebuilds the metric last asked for, with changeMetric, once its files have
// changed on disk and then stayed unchanged for 100 ms; the files are
// compared at most every 100 ms. Returns whether it rebuilt. Does nothing
// while watching is off. `now` is any steady clock reading; renderScene
// passes the real one.
bool reloadChanged(std::chrono::steady_clock::time_point now);
// Turns watching the metric's files on (the default) or off.
void setWatching(bool on);

// Names the metric that is on, with pStatus for the Minkowski metric; empty
// while none is.
const std::string& statusLine();
// While no metric is on because the last build failed: its one-line message,
// then the first lines of the driver's info log for a compile or link error.
// Empty otherwise.
const std::vector<std::string>& failureLines();
