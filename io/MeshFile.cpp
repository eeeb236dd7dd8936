#include "io/MeshFile.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace fs = std::filesystem;

namespace {

std::runtime_error failure(const std::string& path, const std::string& reason) {
    return std::runtime_error(path + ": " + reason);
}

// Whitespace-separated words of a text, one at a time.
class Words {
public:
    explicit Words(std::string_view text) : m_text(text) {}
    bool next(std::string_view& word) {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        word = m_text.substr(start, m_pos - start);
        return !word.empty();
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// A decimal count; one too large for 64 bits reads as the largest, so that a
// huge count in a small file is still found short.
bool toCount(std::string_view word, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<std::uint64_t>::max();
    return error != std::errc::invalid_argument && end == word.data() + word.size();
}

// The size in bytes of a PLY scalar type; 0 for an unknown one.
int plyTypeSize(const std::string& type) {
    static const char* const names[][4] = {{"char", "uchar", "int8", "uint8"},
                                           {"short", "ushort", "int16", "uint16"},
                                           {"int", "uint", "int32", "uint32"},
                                           {"float", "float32", "", ""},
                                           {"double", "float64", "", ""}};
    static const int sizes[] = {1, 2, 4, 4, 8};
    for (int i = 0; i < 5; ++i)
        if (!type.empty() && std::find(names[i], names[i] + 4, type) != names[i] + 4)
            return sizes[i];
    return 0;
}

// What is wrong with a file that starts like PLY: "" when nothing is found,
// "truncated" when it holds less than its header declares, a "damaged or
// truncated" reason for a header line this check does not know. Assimp's PLY
// reader, which it also tries on files of other names, never returns on a
// header without "end_header", pads missing ASCII data with made-up values,
// and corrupts memory on some malformed headers, so only headers understood
// here reach it.
std::string plyProblem(const std::string& path, std::uint64_t fileSize) {
    struct Property {
        bool list;
        int size; // of the value, or of a list's count
    };
    struct Element {
        std::uint64_t count;
        std::vector<Property> properties;
    };
    std::ifstream in(path, std::ios::binary);
    std::string line, format;
    char magic[3] = {};
    in >> std::ws;
    in.read(magic, 3);
    for (int i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(magic[i])) != "ply"[i])
            return "";
    std::getline(in, line);
    std::vector<Element> elements;
    bool understood = line.find_first_not_of(" \t\r") == std::string::npos;
    for (;;) {
        if (!std::getline(in, line))
            return "truncated";
        std::istringstream words(line);
        std::string key, type, name;
        words >> key;
        if (key == "end_header")
            break;
        if (key == "format") {
            understood = understood && format.empty() && (words >> format) &&
                         (format == "ascii" || format == "binary_little_endian" ||
                          format == "binary_big_endian");
        } else if (key == "element") {
            elements.push_back({0, {}});
            understood =
                understood && (words >> name >> type) && toCount(type, elements.back().count);
        } else if (key == "property" && !elements.empty()) {
            words >> type;
            const bool list = type == "list";
            if (list)
                words >> type >> name; // the count's type, then the items'
            understood = understood && plyTypeSize(type) > 0 && (!list || plyTypeSize(name) > 0);
            elements.back().properties.push_back({list, plyTypeSize(type)});
        } else {
            understood = understood && (key.empty() || key == "comment" || key == "obj_info");
        }
    }
    if (!understood || format.empty())
        return "damaged or truncated (a PLY header line not understood)";
    if (format == "ascii") {
        const std::string body{std::istreambuf_iterator<char>(in), {}};
        Words words(body);
        std::string_view word;
        for (const Element& element : elements)
            for (std::uint64_t i = 0; i < element.count && !element.properties.empty(); ++i)
                for (const Property& property : element.properties) {
                    std::uint64_t items = 0;
                    if (!words.next(word))
                        return "truncated";
                    if (property.list && !toCount(word, items))
                        return "";
                    for (; items > 0; --items)
                        if (!words.next(word))
                            return "truncated";
                }
        return "";
    }
    // Binary: every record holds at least its values and its lists' counts.
    const std::streamoff start = in.tellg();
    std::uint64_t left = start < 0 ? 0 : fileSize - static_cast<std::uint64_t>(start);
    for (const Element& element : elements) {
        std::uint64_t record = 0;
        for (const Property& property : element.properties)
            record += static_cast<std::uint64_t>(property.size);
        if (record > 0 && element.count > left / record)
            return "truncated";
        left -= element.count * record;
    }
    return "";
}

// Whether an OFF file holds as many vertex and face lines as it declares,
// each face line with all the indices it announces. Assimp pads the missing
// ones. '#' starts a comment.
bool offComplete(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::vector<std::string_view> words;
    auto nextLine = [&]() {
        while (std::getline(in, line)) {
            line.erase(std::min(line.find('#'), line.size()));
            words.clear();
            Words split(line);
            for (std::string_view word; split.next(word);)
                words.push_back(word);
            if (!words.empty())
                return true;
        }
        return false;
    };
    if (!nextLine())
        return true;
    if (words[0].find("OFF") != std::string_view::npos) {
        words.erase(words.begin());
        if (words.empty() && !nextLine())
            return false;
    }
    std::uint64_t vertices = 0, faces = 0, corners = 0;
    if (words.size() < 2 || !toCount(words[0], vertices) || !toCount(words[1], faces))
        return true;
    for (std::uint64_t i = 0; i < vertices; ++i)
        if (!nextLine())
            return false;
    for (std::uint64_t i = 0; i < faces; ++i)
        if (!nextLine() || !toCount(words[0], corners) || words.size() - 1 < corners)
            return false;
    return true;
}

// Whether an ASCII STL file's last line is its "endsolid"; Assimp accepts one
// cut off between two facets. A binary file (84 bytes and 50 a triangle)
// passes: Assimp checks its size itself.
bool stlComplete(const std::string& path, std::uint64_t fileSize) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[84] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const std::uint64_t triangles =
        head[80] | head[81] << 8 | head[82] << 16 | static_cast<std::uint64_t>(head[83]) << 24;
    if (std::string_view(reinterpret_cast<char*>(head), 5) != "solid" ||
        fileSize == 84 + 50 * triangles)
        return true;
    const std::uint64_t length = std::min<std::uint64_t>(fileSize, 4096);
    std::string tail(length, '\0');
    in.clear();
    in.seekg(-static_cast<std::streamoff>(length), std::ios::end);
    in.read(&tail[0], static_cast<std::streamsize>(length));
    tail.erase(tail.find_last_not_of(" \t\r\n") + 1);
    const size_t lineStart = tail.find_last_of('\n') + 1; // 0 when there is none
    return tail.find("endsolid", lineStart) != std::string::npos;
}

struct Fit {
    double centre[3];
    double radius; // distance from the centre to the farthest position
};

// The centre of the positions' bounding box and the farthest distance from it.
Fit boundingFit(const std::vector<float>& positions) {
    Fit fit{{0, 0, 0}, 0};
    if (positions.size() < 3)
        return fit;
    for (int axis = 0; axis < 3; ++axis) {
        double low = positions[axis], high = positions[axis];
        for (size_t i = axis; i < positions.size(); i += 3) {
            low = std::min(low, static_cast<double>(positions[i]));
            high = std::max(high, static_cast<double>(positions[i]));
        }
        fit.centre[axis] = low + (high - low) / 2;
    }
    double farthest = 0;
    for (size_t i = 0; i + 2 < positions.size(); i += 3) {
        double squared = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const double d = positions[i + axis] - fit.centre[axis];
            squared += d * d;
        }
        farthest = std::max(farthest, squared);
    }
    fit.radius = std::sqrt(farthest);
    return fit;
}

bool finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Throws unless every face of every mesh names at least one vertex and only
// vertices that exist, and every position is finite: Assimp's triangulation
// aborts the process on a face without corners, some readers keep indices out
// of range, and joining identical vertices merges a NaN one into another.
void checkFaces(const aiScene& scene, const std::string& path) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const unsigned* begin = mesh.mFaces[f].mIndices;
            const unsigned* end = begin + mesh.mFaces[f].mNumIndices;
            if (begin == end ||
                std::any_of(begin, end, [&](unsigned i) { return i >= mesh.mNumVertices; }))
                throw failure(path, "damaged or truncated (a face names a missing vertex)");
        }
        if (!std::all_of(mesh.mVertices, mesh.mVertices + mesh.mNumVertices, finite))
            throw failure(path, "NaN or infinite coordinate");
    }
}

// Replaces each mesh that is to get smooth normals (every one without
// normals; every one when dropNormals) by a bare one whose face corners each
// have their own vertex, holding only its position. Assimp's importers promise
// that form and its smooth normals need it (a shared vertex gets the normal of
// its last face alone), but its PLY, OFF and glTF readers share vertices. The
// scene is Assimp's, created non-const; a mesh is freed with delete, as
// aiScene's destructor does.
void unshareCorners(aiScene& scene, bool dropNormals) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        aiMesh* old = scene.mMeshes[m];
        if (old->mNormals && !dropNormals)
            continue;
        auto mesh = std::make_unique<aiMesh>();
        mesh->mPrimitiveTypes = old->mPrimitiveTypes;
        mesh->mMaterialIndex = old->mMaterialIndex;
        mesh->mName = old->mName;
        std::swap(mesh->mFaces, old->mFaces);
        std::swap(mesh->mNumFaces, old->mNumFaces);
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
            mesh->mNumVertices += mesh->mFaces[f].mNumIndices;
        mesh->mVertices = new aiVector3D[mesh->mNumVertices];
        unsigned next = 0;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
            for (unsigned k = 0; k < mesh->mFaces[f].mNumIndices; ++k) {
                unsigned& index = mesh->mFaces[f].mIndices[k];
                mesh->mVertices[next] = old->mVertices[index];
                index = next++;
            }
        delete old;
        scene.mMeshes[m] = mesh.release();
    }
}

// The triangles of every mesh of a post-processed scene as one mesh, keeping
// only the vertices that a triangle uses. Throws when a node's transform has
// made a position infinite.
MeshData collectTriangles(const aiScene& scene, const std::string& path) {
    MeshData out;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        const std::uint32_t unused = std::numeric_limits<std::uint32_t>::max();
        std::vector<std::uint32_t> slot(mesh.mNumVertices, unused);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3)
                continue; // points and lines
            for (unsigned k = 0; k < 3; ++k) {
                const unsigned v = face.mIndices[k];
                if (slot[v] == unused) {
                    const aiVector3D& p = mesh.mVertices[v];
                    const aiVector3D n = mesh.mNormals ? mesh.mNormals[v] : aiVector3D();
                    if (!finite(p))
                        throw failure(path, "NaN or infinite coordinate");
                    slot[v] = static_cast<std::uint32_t>(out.positions.size() / 3);
                    out.positions.insert(out.positions.end(), {p.x, p.y, p.z});
                    out.normals.insert(out.normals.end(), {n.x, n.y, n.z});
                }
                out.indices.push_back(slot[v]);
            }
        }
    }
    return out;
}

} // namespace

MeshData readMeshFile(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        throw failure(path, "no such file");
    if (status.type() == fs::file_type::directory)
        throw failure(path, "is a directory");
    if (status.type() == fs::file_type::none)
        throw failure(path, "cannot be read");
    if (status.type() != fs::file_type::regular)
        throw failure(path, "not a regular file");
    const std::uintmax_t size = fs::file_size(path, error);
    if (!std::ifstream(path) || error)
        throw failure(path, "cannot be read");
    if (size == 0)
        throw failure(path, "empty file");

    std::string extension = fs::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string problem = plyProblem(path, size);
    if (!problem.empty())
        throw failure(path, problem);
    if ((extension == ".off" && !offComplete(path)) ||
        (extension == ".stl" && !stlComplete(path, size)))
        throw failure(path, "truncated");

    // Read with no post-processing: triangulating a broken face aborts, so
    // the faces are checked first.
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene && !importer.IsExtensionSupported(extension))
        throw failure(path, "unknown format");
    if (scene) {
        checkFaces(*scene, path);
        // STL's facet normals would keep every corner apart and make every
        // triangle flat: smooth normals replace them.
        unshareCorners(const_cast<aiScene&>(*scene), extension == ".stl");
        scene = importer.ApplyPostProcessing(
            aiProcess_Triangulate | aiProcess_PreTransformVertices |
            aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals);
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
        throw failure(path, faceless ? "no triangles" : "damaged or truncated (" + why + ")");
    }
    MeshData mesh = collectTriangles(*scene, path);
    if (mesh.indices.empty())
        throw failure(path, "no triangles");
    if (boundingFit(mesh.positions).radius == 0)
        throw failure(path, "all vertices at one point");
    return mesh;
}

void fitUnitSphere(MeshData& mesh) {
    const Fit fit = boundingFit(mesh.positions);
    if (fit.radius == 0)
        throw std::invalid_argument("fitUnitSphere: no extent");
    for (size_t i = 0; i < mesh.positions.size(); ++i)
        mesh.positions[i] =
            static_cast<float>((mesh.positions[i] - fit.centre[i % 3]) / fit.radius);
}
