#include "io/MeshImport.h"

#include "io/MeshChecks.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

bool finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Throws unless every face of every mesh names at least one vertex and only
// vertices that exist, and every position is finite: Assimp's triangulation
// aborts the process on a face without corners, and some readers keep
// indices out of range. Returns whether a face has more than three corners.
bool checkFaces(const aiScene& scene) {
    bool polygons = false;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const unsigned* begin = mesh.mFaces[f].mIndices;
            const unsigned* end = begin + mesh.mFaces[f].mNumIndices;
            if (begin == end ||
                std::any_of(begin, end, [&](unsigned i) { return i >= mesh.mNumVertices; }))
                throw std::runtime_error("damaged or truncated (a face names a missing vertex)");
            polygons = polygons || end - begin > 3;
        }
        if (!std::all_of(mesh.mVertices, mesh.mVertices + mesh.mNumVertices, finite))
            throw std::runtime_error("NaN or infinite coordinate");
    }
    return polygons;
}

// Whether the meshes must be moved by their nodes' transforms: unless the
// root alone holds every mesh, untransformed (one STL, PLY or OFF mesh).
// Assimp's PreTransformVertices copies every vertex even then.
bool placed(const aiScene& scene) {
    const aiNode& root = *scene.mRootNode;
    return root.mNumChildren > 0 || !root.mTransformation.IsIdentity() ||
           root.mNumMeshes != scene.mNumMeshes;
}

// The triangles of every mesh of a post-processed scene as one mesh, keeping
// only the vertices that a triangle uses, with the file's normals unless
// `dropNormals` (a non-finite normal counts as none).
MeshData collectTriangles(const aiScene& scene, bool dropNormals) {
    MeshData out;
    size_t corners = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
        corners += 3 * size_t{scene.mMeshes[m]->mNumFaces};
    out.indices.reserve(corners);
    const std::uint32_t unused = std::numeric_limits<std::uint32_t>::max();
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        const std::uint32_t first = static_cast<std::uint32_t>(out.positions.size() / 3);
        // A mesh whose triangles use each vertex once, in order (STL's), is
        // copied as it is.
        bool inOrder = mesh.mNumVertices == 3 * size_t{mesh.mNumFaces};
        for (unsigned f = 0; f < mesh.mNumFaces && inOrder; ++f)
            inOrder = mesh.mFaces[f].mNumIndices == 3 && mesh.mFaces[f].mIndices[0] == 3 * f &&
                      mesh.mFaces[f].mIndices[1] == 3 * f + 1 &&
                      mesh.mFaces[f].mIndices[2] == 3 * f + 2;
        if (inOrder && (!mesh.mNormals || dropNormals)) {
            static_assert(sizeof(aiVector3D) == 3 * sizeof(float), "x, y, z and nothing else");
            const float* xyz = reinterpret_cast<const float*>(mesh.mVertices);
            out.positions.insert(out.positions.end(), xyz, xyz + 3 * size_t{mesh.mNumVertices});
            out.normals.resize(out.positions.size());
            for (std::uint32_t v = 0; v < mesh.mNumVertices; ++v)
                out.indices.push_back(first + v);
            continue;
        }
        // Each vertex's number in `out`, in the order triangles first use them.
        std::vector<std::uint32_t> slot(mesh.mNumVertices, unused);
        std::uint32_t next = first;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3)
                continue; // points and lines
            for (unsigned k = 0; k < 3; ++k) {
                std::uint32_t& to = slot[face.mIndices[k]];
                if (to == unused)
                    to = next++;
                out.indices.push_back(to);
            }
        }
        out.positions.resize(3 * size_t{next});
        out.normals.resize(3 * size_t{next});
        const bool normals = mesh.mNormals && !dropNormals;
        for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
            if (slot[v] == unused)
                continue;
            const aiVector3D n =
                normals && finite(mesh.mNormals[v]) ? mesh.mNormals[v] : aiVector3D();
            for (int i = 0; i < 3; ++i) {
                out.positions[3 * size_t{slot[v]} + i] = mesh.mVertices[v][i];
                out.normals[3 * size_t{slot[v]} + i] = n[i];
            }
        }
    }
    return out;
}

} // namespace

MeshData importMesh(const std::string& path) {
    const auto fail = [](const std::string& reason) { return std::runtime_error(reason); };
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        throw fail("no such file");
    if (status.type() == fs::file_type::directory)
        throw fail("is a directory");
    if (status.type() == fs::file_type::none)
        throw fail("cannot be read");
    if (status.type() != fs::file_type::regular)
        throw fail("not a regular file");
    const std::uintmax_t size = fs::file_size(path, error);
    if (!std::ifstream(path) || error)
        throw fail("cannot be read");
    if (size == 0)
        throw fail("empty file");

    std::string extension = fs::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string problem = meshFileProblem(path, size, extension);
    if (!problem.empty())
        throw fail(problem);

    // Read with no post-processing: triangulating a broken face aborts, so
    // the faces are checked first.
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene && !importer.IsExtensionSupported(extension))
        throw fail("unknown format");
    if (scene) {
        const unsigned steps = (checkFaces(*scene) ? unsigned{aiProcess_Triangulate} : 0u) |
                               (placed(*scene) ? unsigned{aiProcess_PreTransformVertices} : 0u);
        if (steps)
            scene = importer.ApplyPostProcessing(steps);
    }
    if (!scene) {
        std::string why = importer.GetErrorString();
        if (why.rfind("No suitable reader", 0) == 0)
            why = "no " + extension.substr(1) + " reader accepts it";
        std::replace(why.begin(), why.end(), '\n', ' ');
        while (!why.empty() &&
               (why.back() == '.' || std::isspace(static_cast<unsigned char>(why.back()))))
            why.pop_back();
        // Assimp's words for a file with no faces: nothing to draw, no damage.
        const bool faceless =
            why.rfind("OBJ-file is too small", 0) == 0 || why.rfind("No output meshes", 0) == 0;
        throw fail(faceless ? "no triangles" : "damaged or truncated (" + why + ")");
    }
    // STL's facet normals would keep every corner apart and make every
    // triangle flat: computed ones replace them.
    return collectTriangles(*scene, extension == ".stl");
}
