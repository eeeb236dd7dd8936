#include "math/Matrix.h"

#include "io/FileParser.h"
#include "io/SafeFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <stdexcept>

Matrix::Matrix() {}

Matrix::Matrix(Tuple r0, Tuple r1, Tuple r2, Tuple r3) : m_rows{r0, r1, r2, r3} {}

Matrix::Matrix(const Matrix& m) : m_rows{m.m_rows[0], m.m_rows[1], m.m_rows[2], m.m_rows[3]} {}

Matrix::Matrix(std::string filename) {
    std::vector<std::vector<FileToken>> lines = FileParser::tokenize(filename);
    const std::size_t rows = std::min<std::size_t>(4, lines.size());
    for (std::size_t i = 0; i < rows; ++i) {
        Tuple row(0.0f, 0.0f, 0.0f, 0.0f);
        const std::size_t cols = std::min<std::size_t>(4, lines[i].size());
        for (std::size_t j = 0; j < cols; ++j)
            row[static_cast<int>(j)] = lines[i][j].getFloat();
        m_rows[i] = row;
    }
}

void Matrix::save(const std::string& filename) const {
    int n = 3;
    for (int k = 0; k < 4; ++k)
        if (m_rows[3][k] != 0.0f || m_rows[k][3] != 0.0f)
            n = 4;
    writeFileSafely(filename, [&](std::FILE* file) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                char number[32];
                const char* end = std::to_chars(number, number + sizeof number, m_rows[i][j]).ptr;
                std::fprintf(file, "%.*s%c", static_cast<int>(end - number), number,
                             j + 1 < n ? ' ' : '\n');
            }
    });
}

Tuple& Matrix::operator[](int i) {
    if (i < 0 || i > 3)
        throw std::range_error("Matrix array index out of bounds");
    return m_rows[i];
}

const Tuple& Matrix::operator[](int i) const {
    if (i < 0 || i > 3)
        throw std::range_error("Matrix array index out of bounds");
    return m_rows[i];
}

float* Matrix::getMatn(int n) {
    if (n < 2 || n > 4)
        return nullptr;
    float* out = new float[n * n];
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            out[i * n + j] = m_rows[i][j];
    return out;
}

float* Matrix::getMat3() {
    return getMatn(3);
}

ColumnTuple operator*(const Matrix& m, const ColumnTuple& c) {
    return ColumnTuple(Tuple(m[0].dot(c), m[1].dot(c), m[2].dot(c), m[3].dot(c)));
}

RowTuple operator*(const RowTuple& r, const Matrix& m) {
    Tuple out;
    for (int j = 0; j < 4; ++j)
        out[j] = Tuple(m[0][j], m[1][j], m[2][j], m[3][j]).dot(r);
    return RowTuple(out);
}
