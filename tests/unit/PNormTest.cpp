// The Minkowski length against the direct formula in long double, whose
// range holds |x|^64 for any float x; the status text.
#include "math/PNorm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

// Components from denormals (1e-45) to 1e37 (the largest result, 16 x 1e37
// at p = 0.5, is still a float), a fifth of them 0 (now and then all four),
// some with a tie for the largest. Powers taken without factoring out the
// largest component overflow or underflow float and double here; p =
// infinity must be the largest |component| exactly, and only 0 has length 0.
TEST(PNormTest, MatchesTheDirectFormula) {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> base(-39, 36), spread(0, 6), digits(-9.9, 9.9);
    for (int trial = 0; trial < 2000; ++trial) {
        const double b = base(random);
        float x[4];
        for (float& c : x)
            c = random() % 5
                    ? static_cast<float>(digits(random) * std::pow(10.0, b - spread(random)))
                    : 0;
        x[1] = trial % 7 ? x[1] : -x[0];
        const float largest =
            std::max({std::fabs(x[0]), std::fabs(x[1]), std::fabs(x[2]), std::fabs(x[3])});
        for (long double p : {0.5L, 0.7L, 1.0L, 1.5L, 2.0L, 3.0L, 7.25L, 16.0L, 64.0L}) {
            long double sum = 0;
            for (float c : x)
                sum += std::pow(std::fabs(static_cast<long double>(c)), p);
            const long double want = std::pow(sum, 1 / p);
            EXPECT_NEAR(pNorm(x, 4, static_cast<float>(p)), want, std::max(want * 1e-6L, 1.5e-45L))
                << p;
        }
        EXPECT_EQ(pNorm(x, 4, INFINITY), largest);
        EXPECT_EQ(pNorm(x, 4, 0.5f) > 0, largest > 0);
    }
}

TEST(PNormTest, StatusText) {
    for (auto [p, want] : {std::pair{3.0f, "p = 3.00"},
                           {1.0f, "p = 1.00"},
                           {INFINITY, "p = \u221e"},
                           {0.7071f, "p = 0.71 (quasi-norm: not convex)"}})
        EXPECT_EQ(pStatus(p), want);
}
