#pragma once

#include "io/MeshFile.h"

#include <vector>

// A mesh from a triangle soup, as the vertex stage hands it back: corner i
// is corners[7i .. 7i+6], its position (x, y, z), its normal (x, y, z) and a
// flag, 1 where the position is defined and 0 where not; corners 3t to 3t+2
// make triangle t. Kept are the triangles whose corners are all defined and
// at three different positions (GLUT's sphere draws triangles with a repeated
// corner at its poles), in their order and winding. Corners equal in
// position and normal become one vertex; normals are normalised (a zero one
// stays zero).
MeshData weldCorners(const std::vector<float>& corners);
