#pragma once

#include <cstddef>
#include <string>

// The Minkowski family of lengths N_p(x) = (sum |x_i|^p)^(1/p), joining the
// city-block length (p = 1) to the Euclidean one (p = 2) and the maximum
// (p = infinity, std::numeric_limits<float>::infinity()). Below 1 it is only
// a quasi-norm: its unit ball is not convex.

// N_p of the n components at x, for p > 0 or p = infinity; p <= 0 or NaN
// gives NaN, as does a NaN component (an infinite one gives infinity). Computed with the largest |x_i| factored out, so it neither
// overflows nor underflows where the result is a finite float, is exactly
// the largest |x_i| for p = infinity, and is 0 only for the zero vector.
float pNorm(const float* x, std::size_t n, float p);

// The exponents the viewer's keys step through: 2^(k/4) from 0.5 to 64, then
// infinity. raiseP gives the first of them above p, lowerP the last below;
// each stays at its end of the range (infinity, 0.5).
float raiseP(float p);
float lowerP(float p);
// p clamped to [0.5, 64], infinity kept; NaN stays NaN.
float clampP(float p);

// The sweep's exponent `seconds` after it started: from 1 up to infinity and
// back every kSweepPeriod seconds, resting briefly at both ends and easing in
// between. The easing runs over 1/p (1 down to 0), so p = 2 comes a quarter
// of the way round.
constexpr double kSweepPeriod = 10.0;
float sweepP(double seconds);

// The status text for p: "p = 3.00", "p = ∞" (UTF-8), and below 1
// "p = 0.71 (quasi-norm: not convex)".
std::string pStatus(float p);
