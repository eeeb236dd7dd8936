#pragma once

#include "math/Matrix.h"

#include <array>

// What the quadratic form p.Gp = 1, G the upper-left 3x3 block of a matrix,
// looks like from the viewer's start position (the unit sphere spans about
// 56 pixels there, and the far plane is 1000 units away).
enum class EllipsoidView {
    Visible,
    NotPositiveDefinite, // p.Gp <= 0 somewhere: no closed surface (also a NaN entry)
    TooSmall,            // every semi-axis under 0.02: smaller than a pixel
    TooLarge,            // every semi-axis over 1000: beyond the far plane
    Zero,                // every entry 0 (what a file of words reads as)
    Infinite,            // an infinite entry: a number beyond float's range
};

// The eigenvalues of the symmetric part of the upper-left 3x3 block (whose
// form p.Gp is the same), in ascending order, computed in double precision.
std::array<double, 3> symmetricEigenvalues3(const Matrix& m);

EllipsoidView classifyEllipsoid(const Matrix& m);
