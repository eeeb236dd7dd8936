// A mesh's shaping between its file and the GL: corners joined with normals
// that keep creases, refinement, the simplified copy.
#include "math/MeshShaping.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>

namespace {

using Vec = std::array<float, 3>;

// A cube of corners (+-1, +-1, +-1) (corner i has bit k of i set for +1 on
// axis k) and the octahedron with corners at +-1 on the axes, wound outwards.
const std::vector<Vec> kCube = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                {-1, -1, 1},  {1, -1, 1},  {-1, 1, 1},  {1, 1, 1}};
const std::vector<int> kCubeFaces = {0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5, 0, 1, 5, 0, 5, 4,
                                     2, 6, 7, 2, 7, 3, 0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6};
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
Vec unit(const Vec& v) {
    const float length = std::hypot(v[0], v[1], v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}
Vec cross(const Vec& a, const Vec& b, const Vec& c) {
    const Vec u{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

// Which normal every corner should have: its face's, its position's
// direction (a smooth closed convex shape), or (0, 0, 1) from the file.
enum class Normal { Face, Radial, File };

// Corner c of `mesh`: its position, and the normal `rule` wants there.
void expectNormals(const MeshData& mesh, Normal rule, const std::string& name) {
    for (size_t c = 0; c < mesh.indices.size(); ++c) {
        const size_t t = c / 3;
        const Vec want = rule == Normal::File ? Vec{0, 0, 1}
                         : rule == Normal::Radial
                             ? unit(at(mesh.positions, mesh.indices[c]))
                             : unit(cross(at(mesh.positions, mesh.indices[3 * t]),
                                          at(mesh.positions, mesh.indices[3 * t + 1]),
                                          at(mesh.positions, mesh.indices[3 * t + 2])));
        const Vec got = at(mesh.normals, mesh.indices[c]);
        for (int i = 0; i < 3; ++i)
            ASSERT_NEAR(got[i], want[i], 1e-5) << name << " corner " << c;
    }
}

// A cube's 90 degree and an octahedron's 70.5 degree edges are creases at
// 65 degrees: every corner takes its face's normal, one vertex per face
// corner. At 115 degrees (its faces meet at 109.5 across a corner) the
// octahedron is smooth: one vertex per position, normal pointing out from the
// centre. Normals from the file are kept. Positions and corner order stay.
TEST(MeshShaping, WeldKeepsCreases) {
    const std::tuple<const char*, std::vector<Vec>, std::vector<int>, float, Normal, size_t>
        cases[] = {{"cube", kCube, kCubeFaces, 65, Normal::Face, 24},
                   {"octahedron", kOct, kOctFaces, 65, Normal::Face, 24},
                   {"smooth octahedron", kOct, kOctFaces, 115, Normal::Radial, 6},
                   {"file normals", kOct, kOctFaces, 65, Normal::File, 6}};
    for (const auto& [name, corners, faces, degrees, rule, vertices] : cases) {
        const MeshData in = unshared(corners, faces);
        MeshData mesh = in;
        for (size_t i = 2; rule == Normal::File && i < mesh.normals.size(); i += 3)
            mesh.normals[i] = 1;
        weldWithCreases(mesh, degrees);
        EXPECT_EQ(mesh.positions.size(), 3 * vertices) << name;
        ASSERT_EQ(mesh.indices.size(), in.indices.size()) << name;
        for (size_t c = 0; c < in.indices.size(); ++c)
            EXPECT_EQ(at(mesh.positions, mesh.indices[c]), at(in.positions, c)) << name << c;
        expectNormals(mesh, rule, name);
    }
}

// Refined, a fitted cube keeps its shape: closed (every edge met once each
// way by position), its volume, flat faces, each face cut into a grid of 33
// x 33 vertices; 12 triangles become 12,288 with no edge over 1/16, or stop
// at the pass before the cap. The smooth octahedron's first midpoints take
// their ends' summed normal, which points out from the centre. A mesh with
// no long edge is not touched.
TEST(MeshShaping, RefineSplitsLongEdgesWithoutCracks) {
    const std::tuple<const char*, std::vector<Vec>, std::vector<int>, float, Normal, float, size_t,
                     size_t, size_t>
        cases[] = {
            {"cube", kCube, kCubeFaces, 65, Normal::Face, 1.0f / 16, 4000000, 12288, 6 * 33 * 33},
            {"capped cube", kCube, kCubeFaces, 65, Normal::Face, 1.0f / 16, 1000, 768, 6 * 9 * 9},
            {"octahedron", kOct, kOctFaces, 115, Normal::Radial, 1, 4000000, 32, 18},
            {"fine", kOct, kOctFaces, 115, Normal::Radial, 2, 4000000, 8, 6}};
    for (const auto& [name, corners, faces, degrees, rule, longest, cap, triangles, vertices] :
         cases) {
        MeshData mesh = unshared(corners, faces);
        weldWithCreases(mesh, degrees);
        fitUnitSphere(mesh);
        const MeshData before = mesh;
        const Refinement done = refine(mesh, longest, cap);
        EXPECT_EQ(mesh.indices.size(), 3 * triangles) << name;
        EXPECT_EQ(mesh.positions.size(), 3 * vertices) << name;
        EXPECT_EQ(done.capped, cap < 4 * triangles) << name;
        EXPECT_EQ(done.passes == 0, mesh.positions == before.positions) << name;
        std::map<std::pair<Vec, Vec>, int> edges;
        double volume[2] = {};
        for (const MeshData* m : {&before, static_cast<const MeshData*>(&mesh)})
            for (size_t t = 0; t < m->indices.size() / 3; ++t) {
                Vec p[3];
                for (int k = 0; k < 3; ++k)
                    p[k] = at(m->positions, m->indices[3 * t + k]);
                const Vec n = cross({0, 0, 0}, p[1], p[2]);
                volume[m == &mesh] += (p[0][0] * n[0] + p[0][1] * n[1] + p[0][2] * n[2]) / 6;
                for (int k = 0; m == &mesh && k < 3; ++k) {
                    ++edges[{p[k], p[(k + 1) % 3]}];
                    const Vec& q = p[(k + 1) % 3];
                    EXPECT_LE(std::hypot(q[0] - p[k][0], q[1] - p[k][1], q[2] - p[k][2]),
                              done.capped ? 2 : longest);
                }
            }
        for (const auto& [edge, count] : edges) {
            const auto back = edges.find({edge.second, edge.first});
            ASSERT_TRUE(count == 1 && back != edges.end() && back->second == 1) << name;
        }
        EXPECT_NEAR(volume[1], volume[0], 1e-4) << name;
        expectNormals(mesh, rule, name);
    }
}

// Only a mesh of more triangles than asked gets a copy, of at most that
// many and at least half, over its own vertices.
TEST(MeshShaping, CoarseCopyOfLargeMeshesOnly) {
    MeshData mesh = unshared(kCube, kCubeFaces);
    weldWithCreases(mesh);
    fitUnitSphere(mesh);
    refine(mesh, 1.0f / 16, 4000000);
    makeCoarseCopy(mesh, 12288);
    EXPECT_TRUE(mesh.coarse.empty());
    makeCoarseCopy(mesh, 1000);
    EXPECT_GE(mesh.coarse.size(), 3 * 500u);
    EXPECT_LE(mesh.coarse.size(), 3 * 1000u);
    EXPECT_EQ(meshProblem(mesh), "");
}

} // namespace
