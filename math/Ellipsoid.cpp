#include "math/Ellipsoid.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Semi-axes the start view can show: 0.02 units is about half a pixel there.
constexpr double kSmallest = 0.02;
constexpr double kLargest = 1000.0;

} // namespace

std::array<double, 3> symmetricEigenvalues3(const Matrix& m) {
    double a[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            a[i][j] = 0.5 * (static_cast<double>(m[i][j]) + m[j][i]);
    std::array<double, 3> eig;
    const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
    if (off == 0.0) {
        eig = {a[0][0], a[1][1], a[2][2]};
    } else {
        // The closed form for a symmetric 3x3: the eigenvalues of B = (A - qI)/s
        // are 2cos(phi + 2k pi/3), phi from det(B)/2.
        const double q = (a[0][0] + a[1][1] + a[2][2]) / 3.0;
        const double s = std::sqrt(((a[0][0] - q) * (a[0][0] - q) + (a[1][1] - q) * (a[1][1] - q) +
                                    (a[2][2] - q) * (a[2][2] - q) + 2.0 * off) /
                                   6.0);
        double b[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                b[i][j] = (a[i][j] - (i == j ? q : 0.0)) / s;
        const double det = b[0][0] * (b[1][1] * b[2][2] - b[1][2] * b[2][1]) -
                           b[0][1] * (b[1][0] * b[2][2] - b[1][2] * b[2][0]) +
                           b[0][2] * (b[1][0] * b[2][1] - b[1][1] * b[2][0]);
        const double phi = std::acos(std::clamp(det / 2.0, -1.0, 1.0)) / 3.0;
        eig = {q + 2.0 * s * std::cos(phi + 2.0 * kPi / 3.0), q + 2.0 * s * std::cos(phi),
               q + 2.0 * s * std::cos(phi + 4.0 * kPi / 3.0)};
    }
    std::sort(eig.begin(), eig.end());
    return eig;
}

EllipsoidView classifyEllipsoid(const Matrix& m) {
    bool zero = true;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            if (std::isinf(m[i][j]))
                return EllipsoidView::Infinite;
            if (std::isnan(m[i][j]))
                return EllipsoidView::NotPositiveDefinite;
            zero = zero && m[i][j] == 0;
        }
    if (zero)
        return EllipsoidView::Zero;
    const std::array<double, 3> eig = symmetricEigenvalues3(m);
    if (!(eig[0] > 0.0))
        return EllipsoidView::NotPositiveDefinite;
    // Semi-axis k is 1/sqrt(eig[k]): the largest comes from the smallest value.
    if (1.0 / std::sqrt(eig[0]) < kSmallest)
        return EllipsoidView::TooSmall;
    if (1.0 / std::sqrt(eig[2]) > kLargest)
        return EllipsoidView::TooLarge;
    return EllipsoidView::Visible;
}
