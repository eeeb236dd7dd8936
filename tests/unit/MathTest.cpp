// Tuple and Matrix arithmetic. (What the matrix file reads as: the fuzz corpus
// replay, fuzz/.)
#include "math/Matrix.h"

#include <gmock/gmock.h>

#include <stdexcept>

namespace {

std::vector<float> v(const Tuple& t) {
    return {t[0], t[1], t[2], t[3]};
}

TEST(Math, TupleAndMatrixOperations) {
    const Tuple a(1, 2, 3, 4), b(5, -6, 7, 8);
    const Matrix m(Tuple(1, 2, 3, 4), Tuple(5, 6, 7, 8), Tuple(9, 10, 11, 12),
                   Tuple(13, 14, 15, 16));
    Tuple halved = a;
    halved /= 2;
    const std::pair<Tuple, Tuple> cases[] = {
        {a + b, {6, -4, 10, 12}},
        {a - b, {-4, 8, -4, -4}},
        {a * 2, {2, 4, 6, 8}},
        {b / 2, {2.5f, -3, 3.5f, 4}},
        {halved, {0.5f, 1, 1.5f, 2}},
        {a.cross(b), {32, 8, -16, 0}},
        {Tuple(3, 0, 0, 4).normalize(), {0.6f, 0, 0, 0.8f}},
        {Tuple(a.dot(b), RowTuple(a) * ColumnTuple(b), 0, 0), {46, 46, 0, 0}},
        {(ColumnTuple(a) * RowTuple(b))[1], {10, -12, 14, 16}},
        {m * ColumnTuple(Tuple(1, 0, 0, 1)), {5, 13, 21, 29}},
        {RowTuple(Tuple(1, 0, 0, 1)) * m, {14, 16, 18, 20}},
    };
    for (const auto& [got, want] : cases)
        EXPECT_THAT(v(got), testing::Pointwise(testing::FloatEq(), v(want)));
    Tuple t;
    EXPECT_THROW(t[4] = 1, std::range_error);
    EXPECT_THROW(a[-1], std::range_error);
    EXPECT_THROW(m[4], std::range_error);
}

} // namespace
