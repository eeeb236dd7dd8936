#pragma once

#include "io/MeshFile.h"

#include <string>

// Whether writeMeshFile writes a file of this name: one ending in .obj, .ply
// or .stl, in any case.
bool isMeshExportName(const std::string& path);

// Writes the triangles of `mesh` to `path` with Assimp's exporter, in the
// format its extension names: OBJ (positions and normals, no material file),
// binary PLY (positions and normals, one record a vertex) or binary STL
// (three corners a facet, its normal the normalised sum of its corners'
// normals); binary, because a binary file is a third of the size of a text
// one, is written and read several times faster, and keeps every float
// exactly. The file is written by writeFileSafely (io/SafeFile.h): `path` is
// left complete or as it was. Throws std::runtime_error("<path>: <reason>").
void writeMeshFile(const std::string& path, const MeshData& mesh);
