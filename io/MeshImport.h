#pragma once

#include "io/MeshFile.h"

#include <string>

// readMeshFile's work inside the reading process: the checks on the file and
// Assimp's read. Throws std::runtime_error whose what() is the reason alone
// (no path). Only the child process of MeshRead calls it: a malformed file
// can crash or hang Assimp.
MeshData importMesh(const std::string& path);
