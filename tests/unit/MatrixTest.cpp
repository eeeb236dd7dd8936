#include "math/Matrix.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Rows = std::array<std::array<float, 4>, 4>;

void expectTuple(const Tuple& t, const std::array<float, 4>& e) {
    for (int j = 0; j < 4; ++j)
        EXPECT_FLOAT_EQ(t[j], e[j]) << "component " << j;
}

void expectMatrix(const Matrix& m, const Rows& e) {
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        expectTuple(m[i], e[i]);
    }
}

// Rows (1,2,3,4), (5,6,7,8), (9,10,11,12), (13,14,15,16): not symmetric, so
// a row read where a column was meant shows.
Matrix counting() {
    return Matrix(Tuple(1, 2, 3, 4), Tuple(5, 6, 7, 8), Tuple(9, 10, 11, 12),
                  Tuple(13, 14, 15, 16));
}

Matrix diag(float a, float b, float c, float d) {
    return Matrix(Tuple(a, 0, 0, 0), Tuple(0, b, 0, 0), Tuple(0, 0, c, 0), Tuple(0, 0, 0, d));
}

TEST(Matrix, DefaultIsZeroAndCopiesAreIndependent) {
    expectMatrix(Matrix(), {});
    Matrix a = counting();
    Matrix b(a);
    b[1][2] = -1.0f;
    EXPECT_FLOAT_EQ(a[1][2], 7.0f);
    a = b;
    EXPECT_FLOAT_EQ(a[1][2], -1.0f);
}

TEST(Matrix, OutOfRangeRowThrows) {
    Matrix m = counting();
    const Matrix& cm = m;
    for (int i : {4, -1}) {
        try {
            (void)m[i];
            ADD_FAILURE() << "no throw for row " << i;
        } catch (const std::range_error& e) {
            EXPECT_STREQ(e.what(), "Matrix array index out of bounds");
        }
        try {
            (void)cm[i];
            ADD_FAILURE() << "no throw for const row " << i;
        } catch (const std::range_error& e) {
            EXPECT_STREQ(e.what(), "Matrix array index out of bounds");
        }
    }
}

TEST(Matrix, GetMatnCopiesTheTopLeftBlockRowMajor) {
    Matrix m = counting();
    for (int n : {0, 1, 5, -1})
        EXPECT_EQ(m.getMatn(n), nullptr) << "n = " << n;

    const std::vector<std::pair<int, std::vector<float>>> cases = {
        {2, {1, 2, 5, 6}},
        {3, {1, 2, 3, 5, 6, 7, 9, 10, 11}},
        {4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    for (const auto& [n, expected] : cases) {
        std::unique_ptr<float[]> block(m.getMatn(n));
        ASSERT_NE(block, nullptr) << "n = " << n;
        EXPECT_EQ(std::vector<float>(block.get(), block.get() + n * n), expected) << "n = " << n;
    }
    std::unique_ptr<float[]> mat3(m.getMat3());
    EXPECT_EQ(std::vector<float>(mat3.get(), mat3.get() + 9),
              (std::vector<float>{1, 2, 3, 5, 6, 7, 9, 10, 11}));
}

TEST(Matrix, ReadsFirstFourLinesAndFirstFourNumbers) {
    struct Case {
        std::string name;
        std::string bytes;
        Rows expected;
    };
    const std::vector<Case> cases = {
        {"three rows", "1 2 3\n4 5 6\n7 8 9\n", {{{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}}}},
        {"blank first line",
         "\n1 2 3\n4 5 6\n7 8 9\n",
         {{{}, {1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}}}},
        {"five numbers", "1 2 3 4 5", {{{1, 2, 3, 4}}}},
        {"spacing", "  7\t8 ", {{{7, 8, 0, 0}}}},
        {"non-number", "x 2", {{{0, 2, 0, 0}}}},
        {"six lines", "1\n2\n3\n4\n5\n6\n", {{{1}, {2}, {3}, {4}}}},
        {"crlf", "1 2\r\n3 4\r\n", {{{1, 2, 0, 0}, {3, 4, 0, 0}}}},
        {"numeric prefixes", "2.5x 1,2", {{{2.5f, 1, 0, 0}}}},
        {"full",
         "1 2 3 4\n5 6 7 8\n9 10 11 12\n13 14 15 16",
         {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}}},
        {"empty file", "", {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectMatrix(Matrix(dir.write("m.txt", c.bytes)), c.expected);
    }
}

TEST(Matrix, MissingFileThrowsNamingIt) {
    TempDir dir;
    const std::string name = dir.file("absent.mat");
    try {
        Matrix m(name);
        FAIL() << "no throw";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "File not found: " + name);
    }
}

TEST(Matrix, OuterProductOfColumnAndRow) {
    const Rows expected = {{{1, 0, 0, 2}, {2, 0, 0, 4}, {3, 0, 0, 6}, {4, 0, 0, 8}}};
    const ColumnTuple c(Tuple(1, 2, 3, 4));
    const RowTuple r(Tuple(1, 0, 0, 2));
    expectMatrix(c * r, expected);
    expectMatrix(Tuple(1, 2, 3, 4).outer(Tuple(1, 0, 0, 2)), expected);
}

TEST(Matrix, VectorProducts) {
    expectTuple(diag(1, 2, 3, 4) * ColumnTuple(Tuple(1, 1, 1, 1)), {1, 2, 3, 4});
    expectTuple(RowTuple(Tuple(1, 1, 1, 1)) * diag(1, 2, 3, 4), {1, 2, 3, 4});
    expectTuple(RowTuple(Tuple(1, 0, 0, 0)) * counting(), {1, 2, 3, 4});
    expectTuple(counting() * ColumnTuple(Tuple(1, 0, 0, 0)), {1, 5, 9, 13});
    expectTuple(counting() * ColumnTuple(Tuple(1, 1, 1, 1)), {10, 26, 42, 58});
    expectTuple(RowTuple(Tuple(1, 1, 1, 1)) * counting(), {28, 32, 36, 40});
}

} // namespace
