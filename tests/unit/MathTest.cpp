// The arithmetic: Tuple and Matrix, the Riemannian ellipsoid's verdict, the
// sphere's grid. (The Minkowski length and its text: ViewerTest, through the
// metric and the status line; what the matrix file reads as: the fuzz corpus
// replay, fuzz/.)
#include "math/Ellipsoid.h"
#include "math/Sphere.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>

#include <cmath>
#include <stdexcept>

namespace {

std::vector<float> v(const Tuple& t) {
    return {t[0], t[1], t[2], t[3]};
}

TEST(Math, TupleAndMatrixOperations) {
    const Tuple a(1, 2, 3, 4), b(5, -6, 7, 8);
    const Matrix m(Tuple(1, 2, 3, 4), Tuple(5, 6, 7, 8), Tuple(9, 10, 11, 12),
                   Tuple(13, 14, 15, 16));
    const std::pair<Tuple, Tuple> cases[] = {
        {a + b, {6, -4, 10, 12}},
        {a - b, {-4, 8, -4, -4}},
        {a * 2, {2, 4, 6, 8}},
        {b / 2, {2.5f, -3, 3.5f, 4}},
        {Tuple(a) /= 2, {0.5f, 1, 1.5f, 2}},
        {Tuple(a) -= b, {-4, 8, -4, -4}},
        {a.cross(b), {32, 8, -16, 0}},
        {Tuple(3, 0, 0, 4).normalize(), {0.6f, 0, 0, 0.8f}},
        {m * ColumnTuple(Tuple(1, 0, 0, 1)), {5, 13, 21, 29}},
        {Tuple(a.dot(b), RowTuple(a) * ColumnTuple(b), 0, 0), {46, 46, 0, 0}},
        {(ColumnTuple(a) * RowTuple(b))[1], {10, -12, 14, 16}},
        {RowTuple(Tuple(1, 0, 0, 1)) * m, {14, 16, 18, 20}},
    };
    for (const auto& [got, want] : cases)
        EXPECT_THAT(v(got), testing::Pointwise(testing::FloatEq(), v(want)));
    Tuple t;
    EXPECT_THROW(t[4] = 1, std::range_error);
    EXPECT_THROW(a[-1], std::range_error);
    EXPECT_THROW(m[4], std::range_error);
    EXPECT_TRUE(!Matrix(m).getMatn(1) && !Matrix(m).getMatn(5)) << "only blocks of 2 to 4";
    EXPECT_EQ(std::unique_ptr<float[]>(Matrix(m).getMatn(4))[15], 16);
    // Saved and read again, every entry comes back, the fourth column too.
    const TempDir dir;
    const Matrix saved(Tuple(1, 2, 3, 4), Tuple(5, 6, 7, 8), Tuple(9, 10, 11, 12), Tuple());
    saved.save(dir.file("m"));
    const Matrix back(dir.file("m"));
    for (int i = 0; i < 4; ++i)
        EXPECT_THAT(v(back[i]), testing::Pointwise(testing::FloatEq(), v(saved[i])));
}

// Whether the Riemannian unit ball can be seen from the start view: the
// verdict for each kind of matrix, with the thresholds bracketed on both sides.
Matrix rows3(float a, float b, float c, float d, float e, float f, float g, float h, float i) {
    return Matrix(Tuple(a, b, c, 0), Tuple(d, e, f, 0), Tuple(g, h, i, 0), Tuple(0, 0, 0, 0));
}
Matrix diag3(float a, float b, float c) {
    return rows3(a, 0, 0, 0, b, 0, 0, 0, c);
}

TEST(Ellipsoid, Classification) {
    const struct {
        Matrix m;
        EllipsoidView want;
    } cases[] = {
        {rows3(1, 0.6f, 0, 0.6f, 2, 0.4f, 0, 0.4f, 0.6f), EllipsoidView::Visible},
        {diag3(3000, 3000, 3000), EllipsoidView::TooSmall},
        {diag3(2000, 2000, 2000), EllipsoidView::Visible},
        {diag3(9e-7f, 9e-7f, 9e-7f), EllipsoidView::TooLarge},
        // One semi-axis out of range is not all of them.
        {diag3(3000, 1, 1), EllipsoidView::Visible},
        {diag3(1, 9e-7f, 1), EllipsoidView::Visible},
        // Positive leading minor, yet eigenvalues -1, 1, 3.
        {rows3(1, 2, 0, 2, 1, 0, 0, 0, 1), EllipsoidView::NotPositiveDefinite},
        {diag3(1, std::nanf(""), 1), EllipsoidView::NotPositiveDefinite},
        {diag3(1, 0, 1), EllipsoidView::NotPositiveDefinite},
        // Only y and z coupled: eigenvalues 1, 3, -1.
        {rows3(1, 0, 0, 0, 1, 2, 0, 2, 1), EllipsoidView::NotPositiveDefinite},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classifyEllipsoid(c.m), c.want)
            << c.m[0][0] << " " << c.m[0][1] << " " << c.m[1][1];
}

// GLUT's layout: the poles, then the parallels from the top, slice j at
// -360 j / slices degrees; normals are positions; the wireframe is the
// meridians and parallels. (Its triangles' winding: the exported sphere's,
// ExportTest.)
TEST(Math, UnitSphere) {
    for (auto [slices, stacks] : {std::pair{4, 2}, {7, 5}}) {
        const SphereGrid g = unitSphere(slices, stacks);
        const std::vector<float>& p = g.surface.positions;
        EXPECT_EQ(g.surface.normals, p);
        EXPECT_EQ(g.surface.indices.size(), size_t(6 * slices * (stacks - 1)));
        EXPECT_EQ(g.lines.size(), size_t(2 * slices * (2 * stacks - 1)));
        const double theta = -2 * M_PI / slices, phi = M_PI / stacks;
        EXPECT_THAT(std::vector<float>(p.begin() + 9, p.begin() + 12),
                    testing::Pointwise(testing::FloatNear(1e-6f),
                                       {std::cos(theta) * std::sin(phi),
                                        std::sin(theta) * std::sin(phi), std::cos(phi)}));
    }
}

} // namespace
