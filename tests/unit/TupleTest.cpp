#include "math/Tuple.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void expectTuple(const Tuple& t, float x, float y, float z, float w) {
    EXPECT_FLOAT_EQ(t[0], x);
    EXPECT_FLOAT_EQ(t[1], y);
    EXPECT_FLOAT_EQ(t[2], z);
    EXPECT_FLOAT_EQ(t[3], w);
}

TEST(Tuple, ArithmeticUsesAllFourComponents) {
    const Tuple a(1, 2, 3, 4), b(10, 20, 30, 40);
    expectTuple(a + b, 11, 22, 33, 44);
    expectTuple(b - a, 9, 18, 27, 36);
    expectTuple(a * 2.0f, 2, 4, 6, 8);
    expectTuple(b / 4.0f, 2.5f, 5, 7.5f, 10);
    expectTuple(Tuple(), 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(a.dot(Tuple(1, 1, 1, 1)), 10.0f);
    EXPECT_FLOAT_EQ(a.dot(b), 300.0f);
}

TEST(Tuple, NormalizeDividesByFourDimensionalLength) {
    expectTuple(Tuple(3, 0, 0, 4).normalize(), 0.6f, 0, 0, 0.8f);
    expectTuple(Tuple(0, -2, 0, 0).normalize(), 0, -1, 0, 0);
}

TEST(Tuple, NormalizeOfZeroIsNaNWithoutThrowing) {
    Tuple n;
    EXPECT_NO_THROW(n = Tuple().normalize());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(std::isnan(n[i])) << "component " << i;
}

TEST(Tuple, CrossIgnoresW) {
    expectTuple(Tuple(1, 0, 0, 5).cross(Tuple(0, 1, 0, 7)), 0, 0, 1, 0);
    expectTuple(Tuple(0, 1, 0, 1).cross(Tuple(1, 0, 0, 1)), 0, 0, -1, 0);
    expectTuple(Tuple(1, 2, 3, 9).cross(Tuple(4, 5, 6, 9)), -3, 6, -3, 0);
}

TEST(Tuple, OutOfRangeIndexThrowsForConstAndMutableAccess) {
    Tuple t(1, 2, 3, 4);
    const Tuple& ct = t;
    for (int i : {4, -1, 100}) {
        for (bool isConst : {false, true}) {
            try {
                if (isConst)
                    (void)ct[i];
                else
                    t[i] = 99.0f;
                ADD_FAILURE() << "no throw for index " << i << (isConst ? " (const)" : "");
            } catch (const std::range_error& e) {
                EXPECT_STREQ(e.what(), "Tuple array index out of bounds");
            }
        }
    }
    expectTuple(t, 1, 2, 3, 4);
}

TEST(Tuple, DivisionByZeroGivesInfinities) {
    const Tuple q = Tuple(1, 1, 1, 1) / 0.0f;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(q[i], std::numeric_limits<float>::infinity()) << "component " << i;
}

TEST(Tuple, CompoundAssignmentWithItself) {
    struct Case {
        std::string name;
        std::function<Tuple&(Tuple&)> op;
        Tuple expected;
    };
    const std::vector<Case> cases = {
        {"+=", [](Tuple& t) -> Tuple& { return t += t; }, Tuple(2, 4, 6, 8)},
        {"-=", [](Tuple& t) -> Tuple& { return t -= t; }, Tuple(0, 0, 0, 0)},
        {"*=", [](Tuple& t) -> Tuple& { return t *= 3.0f; }, Tuple(3, 6, 9, 12)},
        {"/=", [](Tuple& t) -> Tuple& { return t /= 2.0f; }, Tuple(0.5f, 1, 1.5f, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tuple t(1, 2, 3, 4);
        Tuple& r = c.op(t);
        EXPECT_EQ(&r, &t);
        expectTuple(t, c.expected[0], c.expected[1], c.expected[2], c.expected[3]);
    }
}

TEST(Tuple, RowTimesColumnIsInnerProduct) {
    EXPECT_FLOAT_EQ(RowTuple(Tuple(1, 2, 3, 4)) * ColumnTuple(Tuple(5, 6, 7, 8)), 70.0f);
}

TEST(Tuple, TransposeKeepsComponents) {
    const RowTuple r(Tuple(1, 2, 3, 4));
    const ColumnTuple c = r.transpose();
    expectTuple(c, 1, 2, 3, 4);
    expectTuple(c.transpose(), 1, 2, 3, 4);
}

} // namespace
