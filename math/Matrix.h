#pragma once

#include "math/Tuple.h"

#include <string>

// A 4x4 float matrix stored as four row Tuples; element (i, j) is m[i][j].
class Matrix {
public:
    // The zero matrix.
    Matrix();
    Matrix(Tuple r0, Tuple r1, Tuple r2, Tuple r3);
    Matrix(const Matrix& m);
    Matrix& operator=(const Matrix& m) = default;

    // Reads a text file of up to four rows, one per line, each of up to four
    // whitespace-separated numbers. Only the first four lines count and only
    // the first four numbers on each; a blank line is a zero row, missing
    // entries are 0, and each number is read by std::atof ("2.5x" is 2.5,
    // "x" is 0). Throws std::runtime_error("File not found: " + filename) if
    // the file cannot be read.
    explicit Matrix(std::string filename);
    // Writes the file that constructor reads back as this matrix: a row a
    // line, each number in the fewest digits that read back as the same
    // float, one space apart; the upper-left 3x3 block, or all of it where
    // the fourth row or column holds anything. Through writeFileSafely
    // (io/SafeFile.h): the file is left complete or as it was, and what it
    // throws is thrown.
    void save(const std::string& filename) const;

    // Row i for 0 <= i <= 3; any other i throws std::range_error
    // ("Matrix array index out of bounds").
    Tuple& operator[](int i);
    const Tuple& operator[](int i) const;

    // The top-left n x n block, row-major (element i * n + j is m[i][j]), in a
    // new float[n * n] the caller delete[]s. n outside 2..4 gives nullptr and
    // allocates nothing.
    float* getMatn(int n);
    // getMatn(3): the block a 3x3 uniform upload expects.
    float* getMat3();

private:
    Tuple m_rows[4];
};

// Matrix times column vector: component i is m[i] . c.
ColumnTuple operator*(const Matrix& m, const ColumnTuple& c);
// Row vector times matrix: component j is r . (column j of m).
RowTuple operator*(const RowTuple& r, const Matrix& m);
