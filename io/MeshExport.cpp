#include "io/MeshExport.h"

#include "io/SafeFile.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace {

// Assimp's exporter for a file name, by its lowercased extension; null for
// none.
const char* formatId(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".obj")
        return "objnomtl";
    if (extension == ".ply")
        return "plyb";
    if (extension == ".stl")
        return "stlb";
    return nullptr;
}

// A scene of one mesh holding `mesh`, at the root with one plain material
// (OBJ's exporter needs one). aiScene's destructor frees what is put in it.
void fillScene(aiScene& scene, const MeshData& mesh) {
    scene.mRootNode = new aiNode();
    scene.mRootNode->mNumMeshes = 1;
    scene.mRootNode->mMeshes = new unsigned[1]{0};
    scene.mNumMaterials = 1;
    scene.mMaterials = new aiMaterial* [1] { new aiMaterial() };
    auto* out = new aiMesh();
    scene.mNumMeshes = 1;
    scene.mMeshes = new aiMesh* [1] { out };

    out->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    out->mNumVertices = static_cast<unsigned>(mesh.positions.size() / 3);
    out->mVertices = new aiVector3D[out->mNumVertices];
    out->mNormals = new aiVector3D[out->mNumVertices];
    for (unsigned v = 0; v < out->mNumVertices; ++v) {
        const float* p = &mesh.positions[3 * v];
        const float* n = &mesh.normals[3 * v];
        out->mVertices[v] = aiVector3D(p[0], p[1], p[2]);
        out->mNormals[v] = aiVector3D(n[0], n[1], n[2]);
    }
    out->mNumFaces = static_cast<unsigned>(mesh.indices.size() / 3);
    out->mFaces = new aiFace[out->mNumFaces];
    for (unsigned f = 0; f < out->mNumFaces; ++f) {
        const std::uint32_t* corner = &mesh.indices[3 * f];
        out->mFaces[f].mNumIndices = 3;
        out->mFaces[f].mIndices = new unsigned[3]{corner[0], corner[1], corner[2]};
    }
}

} // namespace

bool isMeshExportName(const std::string& path) {
    return formatId(path) != nullptr;
}

void writeMeshFile(const std::string& path, const MeshData& mesh) {
    const char* format = formatId(path);
    if (!format)
        throw std::runtime_error(path + ": not a name ending in .obj, .ply or .stl");
    if (mesh.indices.empty())
        throw std::runtime_error(path + ": no triangles to write");
    const aiExportDataBlob* blob = nullptr;
    Assimp::Exporter exporter;
    {
        aiScene scene;
        fillScene(scene, mesh);
        blob = exporter.ExportToBlob(&scene, format);
    }
    if (!blob)
        throw std::runtime_error(path + ": " + exporter.GetErrorString());
    // A short write leaves the stream's error set, which writeFileSafely finds.
    writeFileSafely(path, [&](std::FILE* file) { std::fwrite(blob->data, 1, blob->size, file); });
}
