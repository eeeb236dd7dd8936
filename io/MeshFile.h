#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A triangle mesh as plain arrays. Vertex i is positions[3i .. 3i+2] with the
// normal normals[3i .. 3i+2]; triangle t is indices[3t .. 3t+2], in the
// file's winding order.
struct MeshData {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<std::uint32_t> indices;
};

// Reads every triangle of a mesh file (OBJ, PLY, STL, OFF, glTF, or any other
// format Assimp reads), in the file's coordinates, by Assimp's post-processing:
// polygons triangulated, every mesh placed by its node transforms, meshes of
// one material merged, then identical vertices joined within each merged mesh
// (so the parts of an OBJ file with different materials stay apart), only
// vertices that a triangle uses kept. Normals are the file's, or smooth ones
// generated where a mesh has none (each vertex gets the normalised sum of the
// unit normals of the triangles around its position, unweighted); STL's facet
// normals are always replaced by smooth ones.
//
// Throws std::runtime_error("<path>: <reason>"), one line, with one of the
// reasons "no such file", "is a directory", "not a regular file", "cannot be
// read", "empty file", "unknown format", "truncated" (less data than a PLY
// or OFF header declares, or an ASCII STL without its last "endsolid"),
// "damaged or truncated (<what is wrong, often in Assimp's words>)", "NaN or
// infinite coordinate", "no triangles" or "all vertices at one point".
MeshData readMeshFile(const std::string& path);

// Moves and scales the positions so that the centre of their bounding box is
// at the origin and the vertex farthest from it is at distance 1; normals are
// kept. Computed in double, so coordinates up to float's range are safe.
// Throws std::invalid_argument when there is no position or all positions
// coincide (readMeshFile rejects both).
void fitUnitSphere(MeshData& mesh);
