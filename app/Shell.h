#pragma once

#include <memory>
#include <string>

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
// The mesh loadMesh read last; null until one is loaded.
extern std::unique_ptr<MeshBuffers> mesh;

// The GLUT display and idle callback: one whole frame.
void renderScene();
// Draws the primitive that prim and wire select.
void drawPrimitive();

// GLUT keyboard callback: e, t, r choose a metric (rebuilding it from its
// files), f toggles wireframe, 1 to 3 choose the primitive, 4 the loaded mesh
// (nothing without one), q and Escape quit with status 0. Case-sensitive;
// anything else is ignored.
void processNormalKeys(unsigned char key, int x, int y);
// GLUT special-key callback: arrows and function keys do nothing.
void processSpecialKeys(int key, int x, int y);

// Replaces the current metric by a newly built one: 1 city-block, 2
// Riemannian from "riemann.mat", anything else Euclidean. The old metric goes
// first. If the new one cannot be built, its message is written as one line
// to std::cerr, current stays null and no program is bound, so the primitive
// is drawn by the fixed-function pipeline until a later switch succeeds.
void changeMetric(int index);

// Reads the mesh file at path, fits it into the unit sphere and uploads it
// (the GL context must exist), replacing the mesh loaded before; prim is left
// as it is. On failure throws std::runtime_error with one line naming the
// file and the reason (see readMeshFile), and nothing changes.
void loadMesh(const std::string& path);
