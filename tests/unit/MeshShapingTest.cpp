// A mesh's shaping between its file and the GL: corners joined with normals
// that keep creases, refinement, the simplified copy.
#include "math/MeshShaping.h"
#include "math/Tuple.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>

namespace {

using Vec = std::array<float, 3>;

// A cube of corners (+-1, +-1, +-1) (corner i has bit k of i set for +1 on
// axis k), the same faces on a box twice as long along x, and the octahedron
// with corners at +-1 on the axes, wound outwards.
const std::vector<Vec> kCube = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                {-1, -1, 1},  {1, -1, 1},  {-1, 1, 1},  {1, 1, 1}};
const std::vector<int> kCubeFaces = {0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5, 0, 1, 5, 0, 5, 4,
                                     2, 6, 7, 2, 7, 3, 0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6};
const std::vector<Vec> kBox = {{-2, -1, -1}, {2, -1, -1}, {-2, 1, -1}, {2, 1, -1},
                               {-2, -1, 1},  {2, -1, 1},  {-2, 1, 1},  {2, 1, 1}};
const std::vector<Vec> kOct = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const std::vector<int> kOctFaces = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4,
                                    2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};

// As STL gives a mesh: every corner a vertex of its own, no normals.
MeshData unshared(const std::vector<Vec>& corners, const std::vector<int>& faces) {
    MeshData mesh;
    for (int k : faces) {
        mesh.indices.push_back(static_cast<std::uint32_t>(mesh.indices.size()));
        mesh.positions.insert(mesh.positions.end(), corners[k].begin(), corners[k].end());
    }
    mesh.normals.assign(mesh.positions.size(), 0);
    return mesh;
}

Vec at(const std::vector<float>& xyz, size_t i) {
    return {xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]};
}
Tuple point(const std::vector<float>& xyz, size_t i) {
    return Tuple(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], 0);
}

// Which normal every corner should have: its face's, its position's
// direction (a smooth convex shape), or (0, 0, 1) from the file.
enum class Normal { Face, Radial, File };

// Joined, fitted and refined, a mesh keeps its shape: closed (every edge met
// once each way by position), flat faces flat, no edge over the length asked
// for.
// A cube's 90 degree edges are creases at 65 degrees (every corner takes its
// face's normal, one vertex per face corner);
// at 115 degrees (its faces meet at 109.5 across a corner) the octahedron is
// smooth (one vertex per position, normals out from the centre), and its
// first midpoints take their ends' summed normal. Normals from the file are
// kept. The cube's 12 triangles become 12,288, each face a grid of 33 x 33
// vertices, or stop at the pass before the cap; at 1.4 only the faces'
// diagonals (1.63; sides 1.15) are split, at shared midpoints. A box twice as
// long as wide, at 1.2, splits its long faces' triangles on the long side
// (1.63) and diagonal (1.83), not the short side (0.82): three triangles
// each; its square faces' diagonals (1.15) stay. A mesh with no long edge is
// not touched. Only a mesh of more triangles than asked gets a simplified
// copy, of at most that many and at least half.
TEST(MeshShaping, JoinedAndRefinedMeshesKeepTheirShape) {
    const std::tuple<const char*, std::vector<Vec>, std::vector<int>, float, Normal, float, size_t,
                     size_t, size_t>
        cases[] = {
            {"smooth octahedron", kOct, kOctFaces, 115, Normal::Radial, 2, 4000000, 8, 6},
            {"file normals", kOct, kOctFaces, 65, Normal::File, 2, 4000000, 8, 6},
            {"split octahedron", kOct, kOctFaces, 115, Normal::Radial, 1, 4000000, 32, 18},
            {"cube", kCube, kCubeFaces, 65, Normal::Face, 1.0f / 16, 4000000, 12288, 6 * 33 * 33},
            {"capped cube", kCube, kCubeFaces, 65, Normal::Face, 1.0f / 16, 1000, 768, 6 * 9 * 9},
            {"cube diagonals", kCube, kCubeFaces, 65, Normal::Face, 1.4f, 4000000, 24, 6 * 5},
            {"box", kBox, kCubeFaces, 65, Normal::Face, 1.2f, 4000000, 4 * 6 + 2 * 2,
             4 * 7 + 2 * 4}};
    for (const auto& [name, corners, faces, degrees, rule, longest, cap, triangles, vertices] :
         cases) {
        SCOPED_TRACE(name);
        MeshData mesh = unshared(corners, faces);
        for (size_t i = 2; rule == Normal::File && i < mesh.normals.size(); i += 3)
            mesh.normals[i] = 1;
        weldWithCreases(mesh, degrees);
        fitUnitSphere(mesh);
        const Refinement done = refine(mesh, longest, cap);
        EXPECT_EQ(mesh.indices.size(), 3 * triangles);
        EXPECT_EQ(mesh.positions.size(), 3 * vertices);
        EXPECT_EQ(done.capped, cap < 4 * triangles);
        std::map<std::pair<Vec, Vec>, int> edges;
        for (size_t c = 0; c < mesh.indices.size(); ++c) {
            const Vec p = at(mesh.positions, mesh.indices[c]),
                      q = at(mesh.positions, mesh.indices[c % 3 == 2 ? c - 2 : c + 1]);
            ++edges[{p, q}];
            EXPECT_LE(std::hypot(q[0] - p[0], q[1] - p[1], q[2] - p[2]), done.capped ? 2 : longest);
        }
        for (const auto& [edge, count] : edges) {
            const auto back = edges.find({edge.second, edge.first});
            ASSERT_TRUE(count == 1 && back != edges.end() && back->second == 1);
        }
        for (size_t c = 0; c < mesh.indices.size(); ++c) {
            const auto p = [&](size_t k) { return point(mesh.positions, mesh.indices[k]); };
            const size_t t = c - c % 3;
            const Tuple want = rule == Normal::File ? Tuple(0, 0, 1, 0)
                               : rule == Normal::Radial
                                   ? p(c).normalize()
                                   : (p(t + 1) - p(t)).cross(p(t + 2) - p(t)).normalize();
            for (int i = 0; i < 3; ++i)
                ASSERT_NEAR(at(mesh.normals, mesh.indices[c])[i], want[i], 1e-5) << c;
        }
        makeCoarseCopy(mesh, triangles);
        EXPECT_TRUE(mesh.coarse.empty());
        makeCoarseCopy(mesh, triangles / 12);
        EXPECT_TRUE(triangles < 1000 ||
                    (mesh.coarse.size() <= triangles / 4 && mesh.coarse.size() >= triangles / 8));
    }
}

} // namespace
