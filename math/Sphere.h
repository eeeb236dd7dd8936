#pragma once

#include "io/MeshFile.h"

#include <cstdint>
#include <vector>

// The unit sphere laid out as GLUT lays out its own, for the detail GLUT
// cannot draw: `stacks` bands from the +z pole down to the -z pole and
// `slices` meridians, the first along +x and the next turned clockwise seen
// from +z (toward -y). Vertex 0 is the +z pole, vertex 1 the -z pole, then
// each inner parallel's `slices` vertices, top first. A vertex's normal is its
// position; triangles are wound counter-clockwise seen from outside.
struct SphereGrid {
    MeshData surface;
    // The wireframe GLUT draws: every meridian and parallel as pairs of
    // vertex indices, one pair per segment.
    std::vector<std::uint32_t> lines;
};

// slices >= 3 and stacks >= 2.
SphereGrid unitSphere(int slices, int stacks);
