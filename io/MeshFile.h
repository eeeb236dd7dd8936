#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A triangle mesh as plain arrays. Vertex i is positions[3i .. 3i+2] with the
// normal normals[3i .. 3i+2] ((0, 0, 0) where none is known); triangle t is
// indices[3t .. 3t+2], in the file's winding order. `coarse` holds the
// triangles of a simplified copy drawn over the same vertices, or nothing.
struct MeshData {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<std::uint32_t> indices;
    std::vector<std::uint32_t> coarse;
};

// Reads every triangle of a mesh file (OBJ, PLY, STL, OFF, glTF, or any other
// format Assimp reads), in the file's coordinates: polygons triangulated,
// every mesh placed by its node transforms, only vertices that a triangle
// uses kept, vertices as the file shares them (STL shares none). Normals are
// the file's, or (0, 0, 0) where a mesh has none; STL's facet normals are
// always dropped. `coarse` is empty.
//
// Assimp reads in a child process (MeshRead): a reader that crashes, hangs or
// runs out of memory is a failed read. Throws std::runtime_error("<path>:
// <reason>"), one line, with one of the reasons "no such file", "is a
// directory", "not a regular file", "cannot be read", "empty file", "unknown
// format", "truncated" (less data than a PLY or OFF header declares, or an
// ASCII STL without its last "endsolid"), "damaged or truncated (<what is
// wrong, often in Assimp's words>)", "NaN or infinite coordinate", "no
// triangles", "all vertices at one point", or one of MeshRead's about the
// child.
MeshData readMeshFile(const std::string& path);

// What is wrong with arrays that should form a mesh: "" when nothing is;
// otherwise a reason as readMeshFile gives it: "damaged or truncated (...)"
// when the arrays do not fit together (sizes, an index past the vertices),
// "NaN or infinite coordinate", "no triangles", "all vertices at one point".
// Normals are not checked.
std::string meshProblem(const MeshData& mesh);

// Moves and scales the positions so that the centre of their bounding box is
// at the origin and the vertex farthest from it is at distance 1; normals are
// kept. Computed in double, so coordinates up to float's range are safe.
// Throws std::invalid_argument when there is no position or all positions
// coincide (readMeshFile rejects both).
void fitUnitSphere(MeshData& mesh);
