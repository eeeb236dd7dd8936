#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class MeshBuffers;

// The mesh file's life in the viewer: read at start-up, read again whenever
// the file changes on disk, and what the window says about a failed read.
// Every read runs in a child process (MeshRead), which also shapes the
// arrays: corners joined with normals that keep creases, triangles refined,
// the whole fitted into the unit sphere, and a simplified copy made of a
// large mesh.

// The mesh read last; null until one is loaded.
extern std::unique_ptr<MeshBuffers> mesh;

// The most triangles refinement makes.
constexpr std::size_t kRefineCap = 4000000;
// Meshes of more triangles get a copy of about this many, drawn during a
// drag or the p sweep: 1/30 s a frame on the software renderer.
constexpr std::size_t kCoarseTriangles = 100000;

// The longest edge refinement leaves, as a fraction of the fitted radius; 0
// keeps the file's triangles. 1/16 unless set; applies to the reads after.
void setRefine(float fraction);
// Starts reading the mesh file at `path` without waiting; the loadMesh(path)
// that follows takes this read. Needs no GL context.
void startMesh(const std::string& path);
// Reads the mesh file at `path`, waiting for it, uploads it and watches the
// file from then on; needs the GL context. A line about the shaping (the
// refinement cap reached) goes to std::cerr. Throws std::runtime_error with
// one line naming the file and the reason; the mesh shown before stays.
void loadMesh(const std::string& path);
// Once a frame, never blocking: once the watched file has changed and then
// stayed unchanged for 100 ms, starts reading it again (a read still running
// is dropped); takes in what the read in progress has sent. A good read
// replaces the mesh (view, metric and shape stay) and clears
// meshFailureLines(); a failed one keeps the mesh and sets them. Returns
// whether a read ended. `now` is any steady clock reading.
bool reloadMesh(std::chrono::steady_clock::time_point now);
// Turns watching the mesh file on (the default) or off.
void setMeshWatching(bool on);
// While the last read of the mesh file has failed: its one line (also
// written to std::cerr). Empty otherwise.
const std::vector<std::string>& meshFailureLines();
