#pragma once

class Matrix;

// Four single-precision floats x, y, z, w (components 0..3). A plain value:
// any four floats, infinities and NaN included, make a valid Tuple.
class Tuple {
public:
    Tuple();
    Tuple(float x, float y, float z, float w);
    Tuple(const Tuple& t);
    Tuple& operator=(const Tuple& t) = default;

    // Component i for 0 <= i <= 3; any other i throws std::range_error
    // ("Tuple array index out of bounds") and touches nothing.
    float& operator[](int i);
    const float& operator[](int i) const;

    // Four-term inner product: w counts.
    float dot(const Tuple& t) const;
    Tuple operator+(const Tuple& t) const;
    Tuple operator-(const Tuple& t) const;
    Tuple operator*(float s) const;
    // A true IEEE division: s = 0 gives infinities or NaN, nothing is thrown.
    Tuple operator/(float s) const;
    // This divided by its four-dimensional length; the zero tuple gives NaN.
    Tuple normalize() const;
    // Cross product of the x, y, z parts; the operands' w are ignored and the
    // result's w is 0.
    Tuple cross(const Tuple& t) const;
    // The matrix whose element (i, j) is this[i] * t[j].
    Matrix outer(const Tuple& t) const;

    // Each computes all four components before storing, so the operand may be
    // the object itself (t += t doubles t).
    Tuple& operator+=(const Tuple& t);
    Tuple& operator-=(const Tuple& t);
    Tuple& operator*=(float s);
    Tuple& operator/=(float s);

private:
    float m_v[4];
};

class ColumnTuple;

// A Tuple read as a 1x4 row vector.
class RowTuple : public Tuple {
public:
    RowTuple(const Tuple& t);

    // The inner product, computed exactly as Tuple::dot.
    float operator*(const ColumnTuple& c) const;
    ColumnTuple transpose() const;
};

// A Tuple read as a 4x1 column vector.
class ColumnTuple : public Tuple {
public:
    ColumnTuple(const Tuple& t);

    // The 4x4 outer product: element (i, j) is this[i] * r[j].
    Matrix operator*(const RowTuple& r) const;
    RowTuple transpose() const;
};
