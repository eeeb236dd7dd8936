#pragma once

#include "io/MeshFile.h"

#include <cstddef>

// What happens to a mesh between its file and the GL, on plain arrays.

// The angle between two faces' normals, in degrees, from which the edge
// between them is a crease. 90 degrees at a cube's edges and 70.5 at a
// regular octahedron's (the city-block unit sphere) are creases; 60 degrees
// between the sides of a hexagonal prism, about 42 on an icosahedron and
// less on any finer tessellation of a curved surface are not.
constexpr float kCreaseDegrees = 65.0f;

// Joins the vertices at one position (bit for bit equal) for the purpose of
// normals; gives each corner of a vertex without a normal ((0, 0, 0)) the
// area-weighted average of the normals of the faces around its position that
// lie within `creaseDegrees` of its own face (all of them when its own face
// has no area); then merges the corners that share position and normal into
// one vertex each. A file's nonzero normals are kept. Vertices no triangle
// uses are dropped; `coarse` is left empty.
void weldWithCreases(MeshData& mesh, float creaseDegrees = kCreaseDegrees);

// How refine ended: the passes made, and whether it stopped at the cap with
// edges still too long.
struct Refinement {
    std::size_t passes = 0;
    bool capped = false;
};

// Splits every edge longer than `longest` at its midpoint, one midpoint per
// pair of vertices, so that neighbouring triangles stay joined; a triangle
// with one, two or three such edges becomes two, three or four. Repeats until
// no edge is longer, or stops before a pass that would make more than `cap`
// triangles. A midpoint's normal is the normalised sum of its ends' (the
// first end's where they cancel). A mesh with no edge that long is left as
// it is. Winding is kept.
Refinement refine(MeshData& mesh, float longest, std::size_t cap);

// Fills mesh.coarse with the triangles of a simplified copy of about
// `triangles` triangles over the mesh's own vertices (meshoptimizer's sloppy
// simplifier), or empties it when the mesh has no more than that.
void makeCoarseCopy(MeshData& mesh, std::size_t triangles);
