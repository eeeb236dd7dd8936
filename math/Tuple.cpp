#include "math/Tuple.h"

#include "math/Matrix.h"

#include <cmath>
#include <stdexcept>

Tuple::Tuple() : m_v{0.0f, 0.0f, 0.0f, 0.0f} {}

Tuple::Tuple(float x, float y, float z, float w) : m_v{x, y, z, w} {}

Tuple::Tuple(const Tuple& t) : m_v{t.m_v[0], t.m_v[1], t.m_v[2], t.m_v[3]} {}

float& Tuple::operator[](int i) {
    if (i < 0 || i > 3)
        throw std::range_error("Tuple array index out of bounds");
    return m_v[i];
}

const float& Tuple::operator[](int i) const {
    if (i < 0 || i > 3)
        throw std::range_error("Tuple array index out of bounds");
    return m_v[i];
}

float Tuple::dot(const Tuple& t) const {
    float s = 0.0f;
    for (int k = 0; k < 4; ++k)
        s = s + m_v[k] * t.m_v[k];
    return s;
}

Tuple Tuple::operator+(const Tuple& t) const {
    return Tuple(m_v[0] + t.m_v[0], m_v[1] + t.m_v[1], m_v[2] + t.m_v[2], m_v[3] + t.m_v[3]);
}

Tuple Tuple::operator-(const Tuple& t) const {
    return Tuple(m_v[0] - t.m_v[0], m_v[1] - t.m_v[1], m_v[2] - t.m_v[2], m_v[3] - t.m_v[3]);
}

Tuple Tuple::operator*(float s) const {
    return Tuple(s * m_v[0], s * m_v[1], s * m_v[2], s * m_v[3]);
}

Tuple Tuple::operator/(float s) const {
    return Tuple(m_v[0] / s, m_v[1] / s, m_v[2] / s, m_v[3] / s);
}

Tuple Tuple::normalize() const {
    return *this / std::sqrt(dot(*this));
}

Tuple Tuple::cross(const Tuple& t) const {
    Tuple r;
    for (int i = 0; i < 3; ++i)
        r.m_v[i] = m_v[(i + 1) % 3] * t.m_v[(i + 2) % 3] - m_v[(i + 2) % 3] * t.m_v[(i + 1) % 3];
    return r;
}

Matrix Tuple::outer(const Tuple& t) const {
    Matrix m;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = m_v[i] * t.m_v[j];
    return m;
}

Tuple& Tuple::operator+=(const Tuple& t) {
    return *this = *this + t;
}

Tuple& Tuple::operator-=(const Tuple& t) {
    return *this = *this - t;
}

Tuple& Tuple::operator*=(float s) {
    return *this = *this * s;
}

Tuple& Tuple::operator/=(float s) {
    return *this = *this / s;
}

RowTuple::RowTuple(const Tuple& t) : Tuple(t) {}

float RowTuple::operator*(const ColumnTuple& c) const {
    return dot(c);
}

ColumnTuple RowTuple::transpose() const {
    return ColumnTuple(*this);
}

ColumnTuple::ColumnTuple(const Tuple& t) : Tuple(t) {}

Matrix ColumnTuple::operator*(const RowTuple& r) const {
    return outer(r);
}

RowTuple ColumnTuple::transpose() const {
    return RowTuple(*this);
}
