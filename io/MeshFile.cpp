#include "io/MeshFile.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

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

// Throws unless every face of every mesh names at least one vertex and only
// vertices that exist: Assimp's triangulation aborts the process on a face
// without corners, and some readers keep indices out of range.
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
    }
}

// A corner's identity for joining: its position and the file's normal (0
// where there is none). Stored with +0 for -0, so that equal values hash alike.
struct Corner {
    float values[6];
    bool operator==(const Corner& other) const {
        return std::equal(values, values + 6, other.values);
    }
};

struct CornerHash {
    size_t operator()(const Corner& corner) const {
        size_t hash = 0;
        for (float value : corner.values) {
            std::uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            hash = hash * 0x100000001b3u ^ bits;
        }
        return hash;
    }
};

// Collects the triangles of a scene's meshes, each placed by the nodes that
// name it, into one mesh whose equal corners share one vertex.
class Joiner {
public:
    Joiner(const aiScene& scene, bool fileNormals, const std::string& path)
        : m_scene(scene), m_fileNormals(fileNormals), m_path(path) {}

    void addNode(const aiNode& node, const aiMatrix4x4& parent) {
        const aiMatrix4x4 world = parent * node.mTransformation;
        // Some readers leave a broken scene graph; what it cannot name is skipped.
        for (unsigned i = 0; i < node.mNumMeshes; ++i)
            if (node.mMeshes[i] < m_scene.mNumMeshes && m_scene.mMeshes[node.mMeshes[i]])
                addMesh(*m_scene.mMeshes[node.mMeshes[i]], world);
        for (unsigned i = 0; i < node.mNumChildren; ++i)
            if (node.mChildren[i])
                addNode(*node.mChildren[i], world);
    }

    MeshData& mesh() { return m_mesh; }

private:
    void addMesh(const aiMesh& mesh, const aiMatrix4x4& world) {
        aiMatrix3x3 normalMatrix(world);
        normalMatrix.Inverse().Transpose();
        const std::uint32_t unused = std::numeric_limits<std::uint32_t>::max();
        std::vector<std::uint32_t> slot(mesh.mNumVertices, unused);
        m_vertices.reserve(m_vertices.size() + mesh.mNumVertices);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3)
                continue; // points and lines
            for (unsigned k = 0; k < 3; ++k) {
                const unsigned v = face.mIndices[k];
                if (slot[v] == unused)
                    slot[v] =
                        vertex(world * mesh.mVertices[v], m_fileNormals && mesh.mNormals
                                                              ? normalMatrix * mesh.mNormals[v]
                                                              : aiVector3D());
                m_mesh.indices.push_back(slot[v]);
            }
        }
    }

    // The index of the vertex at p with normal n, added if new.
    std::uint32_t vertex(const aiVector3D& p, aiVector3D n) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            throw failure(m_path, "NaN or infinite coordinate");
        n.Normalize();
        if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z))
            n = aiVector3D();
        const Corner corner{
            {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f, n.x + 0.0f, n.y + 0.0f, n.z + 0.0f}};
        const auto [it, added] =
            m_vertices.emplace(corner, static_cast<std::uint32_t>(m_vertices.size()));
        if (added) {
            m_mesh.positions.insert(m_mesh.positions.end(), corner.values, corner.values + 3);
            m_mesh.normals.insert(m_mesh.normals.end(), corner.values + 3, corner.values + 6);
        }
        return it->second;
    }

    const aiScene& m_scene;
    const bool m_fileNormals;
    const std::string& m_path;
    MeshData m_mesh;
    std::unordered_map<Corner, std::uint32_t, CornerHash> m_vertices;
};

// Gives every vertex whose normal is 0 the normalised sum of its triangles'
// normals, each weighted by the triangle's area.
void generateNormals(MeshData& mesh) {
    const std::vector<float>& p = mesh.positions;
    std::vector<double> sum(mesh.normals.size(), 0.0);
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const size_t a = 3 * size_t{mesh.indices[t]}, b = 3 * size_t{mesh.indices[t + 1]},
                     c = 3 * size_t{mesh.indices[t + 2]};
        double e[3], f[3];
        for (int k = 0; k < 3; ++k) {
            e[k] = double{p[b + k]} - p[a + k];
            f[k] = double{p[c + k]} - p[a + k];
        }
        const double n[3] = {e[1] * f[2] - e[2] * f[1], e[2] * f[0] - e[0] * f[2],
                             e[0] * f[1] - e[1] * f[0]};
        for (size_t corner : {a, b, c})
            for (int k = 0; k < 3; ++k)
                sum[corner + k] += n[k];
    }
    for (size_t v = 0; v < mesh.normals.size(); v += 3) {
        float* n = &mesh.normals[v];
        const double length =
            std::sqrt(sum[v] * sum[v] + sum[v + 1] * sum[v + 1] + sum[v + 2] * sum[v + 2]);
        if (n[0] == 0 && n[1] == 0 && n[2] == 0 && length > 0 && std::isfinite(length))
            for (int k = 0; k < 3; ++k)
                n[k] = static_cast<float>(sum[v + k] / length);
    }
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
        scene = importer.ApplyPostProcessing(aiProcess_Triangulate);
    }
    if (!scene) {
        std::string why = importer.GetErrorString();
        if (why.rfind("No suitable reader", 0) == 0)
            why = "no " + extension.substr(1) + " reader accepts it";
        std::replace(why.begin(), why.end(), '\n', ' ');
        while (!why.empty() &&
               (why.back() == '.' || std::isspace(static_cast<unsigned char>(why.back()))))
            why.pop_back();
        throw failure(path, "damaged or truncated (" + why + ")");
    }
    // Joined and given normals here: Assimp's own steps take several times
    // as long as reading a large mesh. STL's facet normals would keep every corner apart and make
    // every triangle flat: smooth normals replace them.
    Joiner joiner(*scene, extension != ".stl", path);
    if (scene->mRootNode)
        joiner.addNode(*scene->mRootNode, aiMatrix4x4());
    MeshData& mesh = joiner.mesh();
    if (mesh.indices.empty())
        throw failure(path, "no triangles");
    generateNormals(mesh);
    if (boundingFit(mesh.positions).radius == 0)
        throw failure(path, "all vertices at one point");
    return std::move(mesh);
}

void fitUnitSphere(MeshData& mesh) {
    const Fit fit = boundingFit(mesh.positions);
    if (fit.radius == 0)
        throw std::invalid_argument("fitUnitSphere: no extent");
    for (size_t i = 0; i < mesh.positions.size(); ++i)
        mesh.positions[i] =
            static_cast<float>((mesh.positions[i] - fit.centre[i % 3]) / fit.radius);
}
