#include "math/PNorm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr double kStepsPerOctave = 4;
constexpr float kMinP = 0.5f, kMaxP = 64.0f;
// Within this many steps of a grid point counts as on it, so a value that
// came from the grid (rounded to float) moves a whole step.
constexpr double kOnGrid = 1e-3;

double gridIndex(float p) {
    return std::log2(static_cast<double>(p)) * kStepsPerOctave;
}

float gridValue(double k) {
    return static_cast<float>(std::exp2(k / kStepsPerOctave));
}

} // namespace

float pNorm(const float* x, std::size_t n, float p) {
    if (!(p > 0))
        return std::numeric_limits<float>::quiet_NaN();
    float m = 0;
    for (std::size_t i = 0; i < n; ++i)
        m = std::isnan(x[i]) ? x[i] : std::max(m, std::fabs(x[i]));
    if (p == kInf || m == 0 || !std::isfinite(m))
        return m;
    // Every ratio is in [0, 1] and the largest is 1, so the sum is in [1, n].
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += std::pow(std::fabs(static_cast<double>(x[i])) / m, static_cast<double>(p));
    return static_cast<float>(m * std::pow(sum, 1.0 / p));
}

float clampP(float p) {
    return p == kInf || std::isnan(p) ? p : std::clamp(p, kMinP, kMaxP);
}

float raiseP(float p) {
    if (p >= kMaxP)
        return kInf;
    return clampP(gridValue(std::floor(gridIndex(p) + kOnGrid) + 1));
}

float lowerP(float p) {
    if (p == kInf)
        return kMaxP;
    return clampP(gridValue(std::ceil(gridIndex(p) - kOnGrid) - 1));
}

float sweepP(double seconds) {
    constexpr double kRest = 0.05; // of a half period, at each end
    const double phase = std::fmod(seconds / kSweepPeriod, 1.0);
    const double there = 1 - std::fabs(1 - 2 * std::fabs(phase));
    const double e = std::clamp((there - kRest) / (1 - 2 * kRest), 0.0, 1.0);
    const double inverse = 1 - e * e * (3 - 2 * e); // 1/p, smoothstep from 1 to 0
    return inverse == 0 ? kInf : static_cast<float>(1 / inverse);
}

std::string pStatus(float p) {
    if (p == kInf)
        return "p = \u221e";
    char text[64];
    std::snprintf(text, sizeof text, "p = %.2f%s", static_cast<double>(p),
                  p < 1 ? " (quasi-norm: not convex)" : "");
    return text;
}
