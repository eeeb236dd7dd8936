#pragma once

// What a picture should show, computed on the CPU from the formulas: where
// the deformation F(p) = p |p| / N(p) puts a surface point, where the current
// view projects it and how the fragment stage shades a normal (the tests take
// the deformed surface's normal by central differences of F, not by the
// shaders' closed form).
#include <GL/glew.h>

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace ref {

using Vec = std::array<double, 3>;
using Norm = std::function<double(const Vec&)>;

inline Vec add(Vec a, const Vec& b, double s = 1) {
    for (int i = 0; i < 3; ++i)
        a[i] += s * b[i];
    return a;
}
inline double dot(const Vec& a, const Vec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Vec unit(const Vec& a) {
    return add({0, 0, 0}, a, 1 / std::sqrt(dot(a, a)));
}

// The Minkowski p-norm (p = INFINITY: the largest component) and the
// quadratic form's root with a 3x3 matrix given row by row.
inline Norm minkowski(double p) {
    return [p](const Vec& v) {
        double sum = 0, largest = 0;
        for (double c : v)
            sum += std::pow(std::fabs(c), p), largest = std::max(largest, std::fabs(c));
        return std::isinf(p) ? largest : std::pow(sum, 1 / p);
    };
}
inline Norm quadratic(std::array<double, 9> g) {
    return [g](const Vec& v) {
        double s = 0;
        for (int i = 0; i < 9; ++i)
            s += v[i / 3] * g[i] * v[i % 3];
        return s > 0 ? std::sqrt(s) : NAN;
    };
}

inline Vec deform(const Norm& norm, const Vec& p) {
    return add({0, 0, 0}, p, std::sqrt(dot(p, p)) / norm(p));
}

// Window x and y (pixels from the bottom left) and depth of a world point in
// the GL's current view.
inline Vec project(const Vec& p) {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    Vec w;
    gluProject(p[0], p[1], p[2], model, projection, viewport, &w[0], &w[1], &w[2]);
    return w;
}

// The colour metric.frag gives a surface of colour `rgb` whose world normal
// is n, in the current view: ambient 0.3 and a two-sided light from
// (0.35, 0.5, 0.79) in eye space. Scaled to 0..255.
inline Vec shade(const Vec& rgb, const Vec& n) {
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const Vec eye =
        unit({m[0] * n[0] + m[4] * n[1] + m[8] * n[2], m[1] * n[0] + m[5] * n[1] + m[9] * n[2],
              m[2] * n[0] + m[6] * n[1] + m[10] * n[2]});
    const double light = 0.3 + 0.7 * std::fabs(dot(eye, unit({0.35, 0.5, 0.79})));
    return add({0, 0, 0}, rgb, 255 * light);
}

} // namespace ref
