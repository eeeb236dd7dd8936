#pragma once

#include <cstdint>
#include <string>

// What is wrong with a mesh file that Assimp would read wrongly without a
// word or not at all, found by a cheap look before Assimp reads it: "" when
// nothing is; "truncated" for a PLY or OFF file that holds less than its
// header declares, or an ASCII STL file cut before its "endsolid" (Assimp
// pads them with made-up values); "damaged or truncated (...)" for a PLY
// header this check does not understand or a binary COB chunk of negative
// size (Assimp hangs on both). `size` is the file's size in bytes,
// `extension` its lower-case extension with the dot.
std::string meshFileProblem(const std::string& path, std::uint64_t size,
                            const std::string& extension);
