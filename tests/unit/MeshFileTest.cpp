// Reading mesh files into plain arrays, and what is checked of them.
#include "io/MeshFile.h"
#include "io/MeshRead.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace {

// The octahedron with corners at +-1 on the axes, faces wound outwards, as
// fuzz/corpus/mesh/octahedron* hold it in each format (they seed the mesh
// fuzzer too).
const float kCorner[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const int kFace[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                         {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
const std::string kMeshes = ZEMLAVOR_FUZZ_CORPUS "mesh/octahedron";

// Every format holds the octahedron, corners in the file's order; one glTF
// file places it twice, the second copy moved by 3 along x, the other once,
// moved so. None of them has normals (STL's facet normals, which are its
// first corners, and NaN ones are dropped): all (0, 0, 0).
TEST(MeshFile, ReadsEachFormat) {
    for (const std::string name :
         {"-objects.obj", "-nan-normals.obj", "-moved.gltf", "-ascii.ply", "-little.ply",
          "-big.ply", "-ascii.stl", "-binary.stl", ".off", "-twice.gltf"}) {
        SCOPED_TRACE(name);
        const MeshData mesh = readMeshFile(kMeshes + name);
        const size_t copies = name == "-twice.gltf" ? 2 : 1;
        ASSERT_EQ(mesh.indices.size(), 24 * copies);
        EXPECT_EQ(mesh.normals, std::vector<float>(mesh.positions.size(), 0));
        for (size_t c = 0; c < mesh.indices.size(); ++c)
            for (int axis = 0; axis < 3; ++axis)
                EXPECT_EQ(mesh.positions[3 * mesh.indices[c] + axis],
                          kCorner[kFace[c / 3 % 8][c % 3]][axis] +
                              (axis == 0 && (c >= 24 || name[1] == 'm') ? 3 : 0))
                    << name << " corner " << c;
    }
}

// Each bad file gives one line: the path, then the reason.
TEST(MeshFile, BadFilesNameTheFileAndTheReason) {
    const std::string absent = "\1", stl = slurp(kMeshes + "-ascii.stl"),
                      ply = slurp(kMeshes + "-ascii.ply"), off = slurp(kMeshes + ".off"),
                      binary = slurp(kMeshes + "-little.ply");
    // {name, bytes, the reason}
    const std::array<std::string, 3> cases[] = {
        {"missing.obj", absent, "no such file"},
        {".", absent, "is a directory"},
        {"empty.ply", "", "empty file"},
        {"shape.xyz", "v 0 0 0\n", "unknown format"},
        {"cut.stl", stl.substr(0, stl.rfind("facet normal")), "truncated"},
        {"cut.ply", ply.substr(0, ply.size() - 2), "truncated"},
        {"cut-binary.ply", binary.substr(0, binary.size() - 8 * 13 - 12), "truncated"},
        {"empty.dae", "<x/>",
         "damaged or truncated (Collada: File came out empty. Something is wrong here)"},
        {"points.ply",
         binary.substr(0, binary.find("element face")) +
             binary.substr(binary.find("end_header"), 83),
         "no triangles"},
        {"cut-double.ply",
         "ply\nformat binary_little_endian 1.0\nelement vertex 6\nproperty double x\nproperty "
         "double y\nproperty double z\nelement face 8\nproperty list uchar int i\nend_header\n" +
             std::string(120, '\0'),
         "truncated"},
        {"huge.ply",
         "ply\nformat ascii 1.0\nelement v 99999999999999999999\nproperty float x\n"
         "end_header\n",
         "truncated"},
        {"empty-records.ply", "ply\nformat ascii 1.0\nelement v 1000000000000\nend_header\n",
         "damaged or truncated (a PLY element of more empty records than bytes)"},
        {"face.ply", ply.substr(0, ply.size() - 8), "truncated"},
        {"header.gltf", ply.substr(0, 40), "truncated"},
        {"cut.off", off.substr(0, off.size() - 2), "truncated"},
        {"index.ply", ply.substr(0, ply.size() - 2) + "6\n",
         "damaged or truncated (a face names a missing vertex)"},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2 3\n", "no triangles"},
        {"vertex.obj", "v 0 0 0\n", "no triangles"},
        {"points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n", "no triangles"},
        {"nan.obj", "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "NaN or infinite coordinate"},
        {"point.obj", "v 2 2 2\nv 2 2 2\nv 2 2 2\nf 1 2 3\n", "all vertices at one point"},
    };
    TempDir dir;
    for (const auto& [name, bytes, reason] : cases) {
        const std::string path = bytes == absent ? dir.file(name) : dir.write(name, bytes);
        std::string message = "<no exception>";
        try {
            readMeshFile(path);
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
        EXPECT_EQ(message, path + ": " + reason);
    }
}

// What the child's shaping returns reaches note(); a crash, an exit and a
// read past the deadline (killed; poll() meanwhile returns at once) are failed
// reads of one line, as is what the shaping throws. (The memory limit: a
// file of the corpus, in ReloadTest.)
TEST(MeshRead, EveryEndOfTheChildIsOneLine) {
    const std::pair<MeshRead::Shaping, std::string> cases[] = {
        {[](MeshData&) { return std::string("a note"); }, "a note"},
        {[](MeshData&) { return std::raise(SIGSEGV), std::string(); },
         ": the mesh reader crashed (segmentation fault)"},
        {[](MeshData&) { return _exit(7), std::string(); },
         ": the mesh reader failed (exit status 7)"},
        {[](MeshData&) -> std::string { throw std::runtime_error("two\nlines"); }, ": two lines"},
        {[](MeshData&) { return sleep(5), std::string(); },
         ": the mesh reader took more than 1 s and was stopped"}};
    const std::string path = ZEMLAVOR_FUZZ_CORPUS "mesh/triangle.stl";
    for (const auto& [shaping, said] : cases) {
        MeshRead read(path, shaping, std::chrono::seconds(1));
        EXPECT_TRUE(said.find("took") == std::string::npos || !read.poll());
        std::string line;
        try {
            line = (read.take(), read.note());
        } catch (const std::runtime_error& e) {
            line = e.what();
        }
        EXPECT_EQ(line, said[0] == ':' ? path + said : said);
    }
}

// What the viewer checks of the arrays a reader hands back, the simplified
// copy's too.
TEST(MeshFile, ArraysThatDoNotFormAMesh) {
    const MeshData good{{0, 0, 0, 1, 0, 0, 0, 1, 0}, std::vector<float>(9), {0, 1, 2}, {0, 1, 2}};
    MeshData past = good, none = good;
    past.coarse[2] = 3;
    none.indices.clear();
    EXPECT_EQ(meshProblem(good), "");
    EXPECT_EQ(meshProblem(past), "damaged or truncated (a face names a missing vertex)");
    EXPECT_EQ(meshProblem(none), "no triangles");
}

} // namespace
