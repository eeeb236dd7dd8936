// Whether the Riemannian unit ball can be seen from the start view: the
// verdict for each kind of matrix, with the thresholds bracketed on both sides.
#include "math/Ellipsoid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

Matrix rows3(float a, float b, float c, float d, float e, float f, float g, float h, float i) {
    return Matrix(Tuple(a, b, c, 0), Tuple(d, e, f, 0), Tuple(g, h, i, 0), Tuple(0, 0, 0, 0));
}
Matrix diag3(float a, float b, float c) {
    return rows3(a, 0, 0, 0, b, 0, 0, 0, c);
}

TEST(Ellipsoid, Classification) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        Matrix m;
        EllipsoidView want;
    } cases[] = {
        {diag3(1, 1, 1), EllipsoidView::Visible},
        {rows3(1, 0.6f, 0, 0.6f, 2, 0.4f, 0, 0.4f, 0.6f), EllipsoidView::Visible},
        // Only the symmetric part counts: this one's is the identity.
        {rows3(1, 2, 0, -2, 1, 0, 0, 0, 1), EllipsoidView::Visible},
        // A flat disc is still seen edge-on or face-on.
        {diag3(1e30f, 1, 1), EllipsoidView::Visible},
        {diag3(1e30f, 1e30f, 1e30f), EllipsoidView::TooSmall},
        {diag3(3000, 3000, 3000), EllipsoidView::TooSmall},
        {diag3(2000, 2000, 2000), EllipsoidView::Visible},
        {diag3(1e-30f, 1e-30f, 1e-30f), EllipsoidView::TooLarge},
        {diag3(9e-7f, 9e-7f, 9e-7f), EllipsoidView::TooLarge},
        {diag3(1.1e-6f, 1.1e-6f, 1.1e-6f), EllipsoidView::Visible},
        {diag3(-1, 1, 1), EllipsoidView::NotPositiveDefinite},
        {diag3(1, 1, 0), EllipsoidView::NotPositiveDefinite},
        // Positive leading minor, yet eigenvalues -1, 1, 3.
        {rows3(1, 2, 0, 2, 1, 0, 0, 0, 1), EllipsoidView::NotPositiveDefinite},
        {diag3(inf, 1, 1), EllipsoidView::NotPositiveDefinite},
        {diag3(1, std::nanf(""), 1), EllipsoidView::NotPositiveDefinite},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classifyEllipsoid(c.m), c.want)
            << c.m[0][0] << " " << c.m[0][1] << " " << c.m[1][1];
}

// Each value is a root of det(S - xI) for the symmetric part S, and they sum
// to the trace, ascending.
TEST(Ellipsoid, EigenvaluesAreTheRootsInOrder) {
    for (const Matrix& m : {rows3(1, 0.6f, 0, 0.6f, 2, 0.4f, 0, 0.4f, 0.6f),
                            rows3(4, 1, -2, 1, 2, 0, -2, 0, 3), diag3(3, -1, 2)}) {
        const auto eig = symmetricEigenvalues3(m);
        EXPECT_LE(eig[0], eig[1]);
        EXPECT_LE(eig[1], eig[2]);
        EXPECT_NEAR(eig[0] + eig[1] + eig[2], double(m[0][0]) + m[1][1] + m[2][2], 1e-9);
        for (double x : eig) {
            const double a = double(m[0][0]) - x, e = double(m[1][1]) - x, i = double(m[2][2]) - x;
            const double b = m[0][1], c = m[0][2], f = m[1][2];
            EXPECT_NEAR(a * (e * i - f * f) - b * (b * i - f * c) + c * (b * f - e * c), 0, 1e-6);
        }
    }
}

} // namespace
