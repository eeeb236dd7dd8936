// Reading mesh files into plain arrays, and fitting them into the unit sphere.
#include "io/MeshFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace {

// The octahedron with corners at +-1 on the axes, faces wound outwards. The
// normal of a face points along the sum of its corners.
const float kCorner[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const int kFace[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                         {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};

std::string format(const char* pattern, double a, double b, double c) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

template <typename T> std::string raw(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// Corners, then faces with indices from `base`, each in its own pattern.
std::string indexed(const char* corner, const char* face, int base) {
    std::string text;
    for (const auto& c : kCorner)
        text += format(corner, c[0], c[1], c[2]);
    for (const auto& f : kFace)
        text += format(face, f[0] + base, f[1] + base, f[2] + base);
    return text;
}

// Every face with its own three corners, the face normal first: "n" formats
// the normal, "v" each corner, after the face's "begin" and before its "end".
std::string perFace(const char* begin, const char* n, const char* v, const char* end) {
    std::string text;
    for (const auto& f : kFace) {
        const float* c[3] = {kCorner[f[0]], kCorner[f[1]], kCorner[f[2]]};
        text += begin + format(n, c[0][0] + c[1][0] + c[2][0], c[0][1] + c[1][1] + c[2][1],
                               c[0][2] + c[1][2] + c[2][2]);
        for (const float* corner : c)
            text += format(v, corner[0], corner[1], corner[2]);
        text += end;
    }
    return text;
}

std::string binaryStl() {
    std::string text = std::string(80, ' ') + raw<std::uint32_t>(8);
    for (const auto& f : kFace) {
        for (int axis = 0; axis < 3; ++axis)
            text += raw(kCorner[f[0]][axis] + kCorner[f[1]][axis] + kCorner[f[2]][axis]);
        for (int k : f)
            text += raw(kCorner[k][0]) + raw(kCorner[k][1]) + raw(kCorner[k][2]);
        text += raw<std::uint16_t>(0);
    }
    return text;
}

std::string ply(const char* format, const std::string& body) {
    return std::string("ply\nformat ") + format +
           " 1.0\nelement vertex 6\nproperty float x\nproperty float y\nproperty float z\n"
           "element face 8\nproperty list uchar int vertex_indices\nend_header\n" +
           body;
}

std::string binaryPlyBody() {
    std::string text;
    for (const auto& c : kCorner)
        text += raw(c[0]) + raw(c[1]) + raw(c[2]);
    for (const auto& f : kFace)
        text += raw<std::uint8_t>(3) + raw(f[0]) + raw(f[1]) + raw(f[2]);
    return text;
}

// Two nodes draw the one mesh, the second moved by 3 along x.
std::string gltf() {
    return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0, 1]}],
      "nodes": [{"mesh": 0}, {"mesh": 0, "translation": [3, 0, 0]}],
      "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}],
      "buffers": [{"byteLength": 168, "uri": "oct.bin"}],
      "bufferViews": [{"buffer": 0, "byteLength": 72},
                      {"buffer": 0, "byteOffset": 72, "byteLength": 96}],
      "accessors": [{"bufferView": 0, "componentType": 5126, "count": 6, "type": "VEC3",
                     "min": [-1, -1, -1], "max": [1, 1, 1]},
                    {"bufferView": 1, "componentType": 5125, "count": 24, "type": "SCALAR"}]})";
}

const std::string kObj = perFace("o part\n", "", "v %g %g %g\n", "f -3 -2 -1\n");
const std::string kAsciiStl =
    "solid oct\n" +
    perFace("", "facet normal %g %g %g\nouter loop\n", "vertex %g %g %g\n", "endloop\nendfacet\n") +
    "endsolid oct\n";
const std::string kOff = "OFF\n6 8 0\n" + indexed("%g %g %g\n", "3 %g %g %g\n", 0);
const std::string kAsciiPly = ply("ascii", indexed("%g %g %g\n", "3 %g %g %g\n", 0));

// Every format holds the octahedron; corners written once per face (OBJ, in
// eight objects, and STL) are joined. Each vertex's generated normal is its
// direction from the centre of its copy of the octahedron.
TEST(MeshFile, ReadsEachFormatJoinedWithSmoothNormals) {
    struct Case {
        const char* name;
        std::string bytes;
        size_t triangles, vertices;
    };
    const Case cases[] = {
        {"oct.obj", kObj, 8, 6},
        {"ascii.ply", kAsciiPly, 8, 6},
        {"binary.ply", ply("binary_little_endian", binaryPlyBody()), 8, 6},
        {"ascii.stl", kAsciiStl, 8, 6},
        {"binary.stl", binaryStl(), 8, 6},
        {"oct.off", kOff, 8, 6},
        {"oct.gltf", gltf(), 16, 12},
    };
    TempDir dir;
    std::string indices;
    for (const auto& f : kFace)
        indices += raw<std::uint32_t>(f[0]) + raw<std::uint32_t>(f[1]) + raw<std::uint32_t>(f[2]);
    dir.write("oct.bin", binaryPlyBody().substr(0, 72) + indices);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MeshData mesh = readMeshFile(dir.write(c.name, c.bytes));
        EXPECT_EQ(mesh.indices.size(), 3 * c.triangles);
        ASSERT_EQ(mesh.positions.size(), 3 * c.vertices);
        ASSERT_EQ(mesh.normals.size(), 3 * c.vertices);
        for (size_t i = 0; i < mesh.positions.size(); i += 3) {
            const float* p = &mesh.positions[i];
            const float shift = p[0] > 1.5f ? 3 : 0;
            EXPECT_NEAR(mesh.normals[i], p[0] - shift, 1e-6) << i / 3;
            EXPECT_NEAR(mesh.normals[i + 1], p[1], 1e-6) << i / 3;
            EXPECT_NEAR(mesh.normals[i + 2], p[2], 1e-6) << i / 3;
        }
    }
}

// Each bad file gives one line: the path, then the reason.
TEST(MeshFile, BadFilesNameTheFileAndTheReason) {
    const std::string absent = "\x01";
    const std::string stl = binaryStl();
    struct Case {
        const char* name; // "" for the folder itself
        std::string bytes;
        std::string reason; // the start of it, for Assimp's own words
    };
    const Case cases[] = {
        {"missing.obj", absent, "no such file"},
        {"", absent, "is a directory"},
        {"empty.ply", "", "empty file"},
        {"shape.xyz", "v 0 0 0\n", "unknown format"},
        {"cut.stl", stl.substr(0, stl.size() - 10), "damaged or truncated ("},
        {"cut_ascii.stl", kAsciiStl.substr(0, kAsciiStl.rfind("facet normal")), "truncated"},
        {"cut.ply", kAsciiPly.substr(0, kAsciiPly.size() - 4), "truncated"},
        {"header.ply", kAsciiPly.substr(0, 40), "truncated"},
        {"header.gltf", kAsciiPly.substr(0, 40), "truncated"},
        {"count.ply", "ply\nformat ascii 1.0\nelement face 1.0\nend_header\n",
         "damaged or truncated (a PLY header line not understood)"},
        {"cut.off", kOff.substr(0, kOff.size() - 8), "truncated"},
        {"cut.gltf", gltf().substr(0, 300), "damaged or truncated (no gltf reader accepts it)"},
        {"index.ply", kAsciiPly.substr(0, kAsciiPly.size() - 2) + "9\n",
         "damaged or truncated (a face names a missing vertex)"},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2 3\n", "no triangles"},
        {"nan.obj", "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "NaN or infinite coordinate"},
        {"huge.obj", "v 1e39 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "NaN or infinite coordinate"},
        {"point.obj", "v 2 2 2\nv 2 2 2\nv 2 2 2\nf 1 2 3\n", "all vertices at one point"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = !*c.name            ? dir.path()
                                 : c.bytes == absent ? dir.file(c.name)
                                                     : dir.write(c.name, c.bytes);
        std::string message = "<no exception>";
        try {
            readMeshFile(path);
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
        const std::string expected = path + ": " + c.reason;
        EXPECT_EQ(message.substr(0, expected.size()), expected);
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

// The box's centre goes to the origin and the farthest vertex to distance 1;
// the shape is only moved and scaled.
TEST(MeshFile, FitUnitSphere) {
    const std::vector<std::vector<float>> cases = {
        // No vertex at a box corner; the centroid is not the box's centre.
        {0, 1, 0, 4, 1, 0, 2, 0, 0, 2, 2, 0, 1, 1, 1},
        // Differences that overflow float.
        {3e38f, 0, 0, -3e38f, 1e38f, 0, 0, 0, 2e38f},
        {5, 5, 5, 5.000001f, 5, 5, 5, 5.000002f, 5},
    };
    for (const std::vector<float>& positions : cases) {
        SCOPED_TRACE(positions[0]);
        MeshData mesh{positions, {}, {}};
        fitUnitSphere(mesh);
        const std::vector<float>& p = mesh.positions;
        double farthest = 0;
        for (int axis = 0; axis < 3; ++axis) {
            double low = p[axis], high = p[axis];
            for (size_t i = axis; i < p.size(); i += 3) {
                low = std::min<double>(low, p[i]);
                high = std::max<double>(high, p[i]);
            }
            EXPECT_NEAR(low + high, 0, 1e-6);
        }
        for (size_t i = 0; i < p.size(); i += 3)
            farthest = std::max<double>(farthest, std::hypot(double{p[i]}, p[i + 1], p[i + 2]));
        EXPECT_NEAR(farthest, 1, 1e-6);
        const double scale = (double{p[3]} - p[0]) / (double{positions[3]} - positions[0]);
        EXPECT_GT(scale, 0);
        for (size_t i = 3; i < p.size(); ++i)
            EXPECT_NEAR(p[i] - p[i % 3], scale * (double{positions[i]} - positions[i % 3]), 1e-5);
    }
    MeshData point{{1, 2, 3, 1, 2, 3}, {}, {}};
    EXPECT_THROW(fitUnitSphere(point), std::invalid_argument);
}

} // namespace
