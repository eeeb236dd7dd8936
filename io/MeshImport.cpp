#include "io/MeshImport.h"

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
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace fs = std::filesystem;

namespace {

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

// Whether a file Assimp takes for a little-endian binary COB file ("Caligari
// ", then anything but 'A' at byte 15 and 'L' at 16) has a chunk of negative
// size before its last: Assimp's COB reader then steps back to that chunk's
// start and reads it again for ever (size -1 means "not given" and ends the
// search). Each chunk is a 20-byte header, its size in bytes 16 to 19, and
// its data.
bool cobNegativeChunk(const std::string& path, std::uint64_t fileSize) {
    std::ifstream in(path, std::ios::binary);
    char head[32] = {};
    in.read(head, sizeof head);
    if (std::string_view(head, 9) != "Caligari " || head[15] == 'A' || head[16] != 'L')
        return false;
    for (std::uint64_t at = 32; at + 20 <= fileSize;) {
        unsigned char chunk[20] = {};
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(chunk), sizeof chunk);
        const std::int32_t size = static_cast<std::int32_t>(
            chunk[16] | chunk[17] << 8 | chunk[18] << 16 | std::uint32_t{chunk[19]} << 24);
        if (std::string_view(reinterpret_cast<char*>(chunk), 4) == "END " || size == -1)
            return false;
        if (size < 0)
            return true;
        at += 20 + static_cast<std::uint64_t>(size);
    }
    return false;
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

bool finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Throws unless every face of every mesh names at least one vertex and only
// vertices that exist, and every position is finite: Assimp's triangulation
// aborts the process on a face without corners, and some readers keep
// indices out of range.
void checkFaces(const aiScene& scene) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const unsigned* begin = mesh.mFaces[f].mIndices;
            const unsigned* end = begin + mesh.mFaces[f].mNumIndices;
            if (begin == end ||
                std::any_of(begin, end, [&](unsigned i) { return i >= mesh.mNumVertices; }))
                throw std::runtime_error("damaged or truncated (a face names a missing vertex)");
        }
        if (!std::all_of(mesh.mVertices, mesh.mVertices + mesh.mNumVertices, finite))
            throw std::runtime_error("NaN or infinite coordinate");
    }
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
        // Each vertex's number in `out`, in the order triangles first use them.
        std::vector<std::uint32_t> slot(mesh.mNumVertices, unused);
        std::uint32_t next = static_cast<std::uint32_t>(out.positions.size() / 3);
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
    const std::string problem = plyProblem(path, size);
    if (!problem.empty())
        throw fail(problem);
    if ((extension == ".off" && !offComplete(path)) ||
        (extension == ".stl" && !stlComplete(path, size)))
        throw fail("truncated");
    if (cobNegativeChunk(path, size))
        throw fail("damaged or truncated (a COB chunk of negative size)");

    // Read with no post-processing: triangulating a broken face aborts, so
    // the faces are checked first.
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene && !importer.IsExtensionSupported(extension))
        throw fail("unknown format");
    if (scene) {
        checkFaces(*scene);
        unsigned steps = placed(*scene) ? unsigned{aiProcess_PreTransformVertices} : 0u;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh& mesh = *scene->mMeshes[m];
            for (unsigned f = 0; f < mesh.mNumFaces && !(steps & aiProcess_Triangulate); ++f)
                if (mesh.mFaces[f].mNumIndices > 3)
                    steps |= aiProcess_Triangulate;
        }
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
        throw fail("damaged or truncated (" + why + ")");
    }
    // STL's facet normals would keep every corner apart and make every
    // triangle flat: computed ones replace them.
    return collectTriangles(*scene, extension == ".stl");
}
