// Exporting the deformed shape on a real GL context: what the vertex stage
// computes, written as OBJ, PLY or STL and read back.
#include "app/ShapeExport.h"
#include "io/MeshFile.h"
#include "support/GlContext.h"
#include "support/Reference.h"

#include <sstream>

namespace {

using ExportTest = GlTest;

ref::Vec position(const MeshData& mesh, size_t corner) {
    const float* p = &mesh.positions[3 * mesh.indices[corner]];
    return {p[0], p[1], p[2]};
}

// The unit sphere exported under each metric lies on that metric's unit
// sphere, N from its formula here, with every triangle the viewer draws: 2d(d
// - 1) at detail d (GLUT's own, and the viewer's above 256), less the 2d at
// the poles where the metric is undefined there; each wound counter-clockwise
// seen from outside.
TEST_F(ExportTest, TheUnitSphereBecomesTheMetricsUnitSphere) {
    setMetricFile(dir.write("four.vert", kFourNorm));
    setUniformValue({"p", {4}});
    const std::tuple<int, float, const char*, ref::Norm, int> cases[] = {
        {1, 3, nullptr, ref::minkowski(1), 0},
        {3, 3, nullptr, ref::minkowski(3), 0},
        {3, INFINITY, nullptr, ref::minkowski(INFINITY), 0},
        {2, 3, "1 .6 0\n.6 2 .4\n0 .4 .6\n", ref::quadratic({1, .6, 0, .6, 2, .4, 0, .4, .6}), 0},
        {2, 3, "1 0 0\n0 1 0\n0 0 0\n", ref::quadratic({1, 0, 0, 0, 1, 0, 0, 0, 0}), 1},
        {kCustomMetric, 3, nullptr, ref::minkowski(4), 0}};
    for (int d : {50, 300})
        for (const auto& [metric, p, matrix, norm, polesUndefined] : cases) {
            if (matrix)
                dir.write("riemann.mat", matrix);
            setP(p), detail = d;
            changeMetric(metric);
            exportShape(dir.file("s.ply"));
            const MeshData sphere = readMeshFile(dir.file("s.ply"));
            EXPECT_EQ(sphere.indices.size(), 6u * d * (d - 1 - polesUndefined)) << metric;
            double worst = 0;
            int inward = 0;
            for (size_t c = 0; c < sphere.indices.size(); ++c) {
                const ref::Vec a = position(sphere, c - c % 3), b = position(sphere, c - c % 3 + 1);
                worst = std::max(worst, std::fabs(norm(position(sphere, c)) - 1));
                inward +=
                    ref::dot(ref::cross(ref::add(b, a, -1), ref::add(position(sphere, c), a, -1)),
                             a) < 0;
            }
            EXPECT_LT(worst, 1e-3) << metric << " p " << p << " detail " << d;
            EXPECT_EQ(inward, 0) << metric << " p " << p << " detail " << d;
        }
}

// OBJ, PLY and STL, in any case, read back corner for corner as exported: the
// teapot as the exact PLY holds it, the mesh as its file is (the Euclidean
// metric moves nothing), with its own normals where the format holds them
// (+z above, -z below, which no smoothing gives), and in PLY its 24 corners
// as 10 vertices, one for each position and normal.
TEST_F(ExportTest, EveryFormatReadsBackAsExported) {
    const std::string octahedron = dir.write(
        "oct.obj", "vn 0 0 1\nvn 0 0 -1\nv 1 0 0\nv -1 0 0\nv 0 1 0\nv 0 -1 0\nv 0 0 1\nv 0 0 -1\n"
                   "f 1//1 3//1 5//1\nf 3//1 2//1 5//1\nf 2//1 4//1 5//1\nf 4//1 1//1 5//1\n"
                   "f 3//2 1//2 6//2\nf 2//2 3//2 6//2\nf 4//2 2//2 6//2\nf 1//2 4//2 6//2\n");
    setRefine(0); // the file's own triangles
    loadMesh(octahedron);
    frame(); // the view's matrices loaded, as they are when x is pressed
    changeMetric(0);
    for (int shape : {1, 3}) {
        prim = shape;
        exportShape(dir.file("e.ply"));
        const MeshData want = readMeshFile(shape == 3 ? octahedron : dir.file("e.ply"));
        for (const char* name : {"e.obj", "e.Stl", "e.PLY"}) {
            exportShape(dir.file(name));
            const MeshData got = readMeshFile(dir.file(name));
            ASSERT_EQ(got.indices.size(), want.indices.size()) << name;
            for (size_t c = 0; c < got.indices.size(); ++c)
                for (int i = 0; i < 3; ++i) {
                    EXPECT_NEAR(position(got, c)[i], position(want, c)[i], 1e-6) << name << c;
                    if (shape == 3 && name[2] != 'S') {
                        EXPECT_EQ(got.normals[3 * got.indices[c] + i], i < 2    ? 0
                                                                       : c < 12 ? 1
                                                                                : -1)
                            << name << c;
                    }
                }
        }
    }
    const std::string ply = slurp(dir.file("e.PLY"));
    EXPECT_NE(ply.find("element vertex 10\n"), std::string::npos);
    EXPECT_EQ(ply.find("ply\nformat binary_little_endian 1.0\n"), 0u);
    EXPECT_EQ(std::filesystem::file_size(dir.file("e.Stl")), 84u + 50 * 8) << "binary STL";
}

// x writes a file to the export folder, never over one, and says "Exported
// <name>" in the window. Without a metric, with a metric.vert that
// lacks the captured varyings (one older than the export, which still builds
// and draws) or into a missing folder, it fails with one line naming the file
// and writes nothing. A metric built afterwards ends the note.
TEST_F(ExportTest, KeyXWritesANewFileOrFailsWritingNothing) {
    std::string old, line;
    for (std::istringstream shipped(slurp("metric.vert")); std::getline(shipped, line);)
        old += line.find("v_deformed") == std::string::npos ? line + "\n" : "";
    const auto files = [] { return std::distance(std::filesystem::directory_iterator("."), {}); };
    const auto before = files();
    setStartFolder(dir.path());
    changeMetric(0);
    const Pixels plain = frame();
    processNormalKeys('x', 0, 0);
    const Pixels first = frame();
    processNormalKeys('x', 0, 0);
    EXPECT_NE(first, plain) << "no note in the window";
    EXPECT_NE(frame(), first) << "the second note not shown";
    EXPECT_TRUE(wire) << "the export draws solid, then as before";
    EXPECT_EQ(files(), before + 2);
    ASSERT_TRUE(recentSaveNote() && !recentSaveNote()->failed);
    EXPECT_TRUE(std::filesystem::exists(recentSaveNote()->text.substr(9)));
    for (const char* failure : {"no metric", "old metric.vert", "missing/"}) {
        if (failure[0] == 'o')
            dir.write("metric.vert", old);
        changeMetric(0);
        if (failure[0] == 'n')
            delete current, current = nullptr;
        setStartFolder(dir.file(failure[0] == 'm' ? failure : ""));
        EXPECT_EQ(exportShapeToFolder(), "");
        ASSERT_TRUE(recentSaveNote() && recentSaveNote()->failed);
        EXPECT_EQ(recentSaveNote()->text.find("Cannot export the shape to " + dir.path()), 0u);
    }
    EXPECT_EQ(files(), before + 2);
    changeMetric(0);
    EXPECT_EQ(recentSaveNote(), nullptr);
}

} // namespace
