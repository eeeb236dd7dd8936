#pragma once

#include "math/Matrix.h"
#include "math/Tuple.h"
#include "shader/ShaderProg.h"

#include <GL/glew.h>

#include <string>
#include <vector>

// A way of measuring distance, with the GLSL program that draws the scene
// under it. Each metric's program is its own vertex shader, "metric.vert" and
// "metric.frag", read from the working directory and linked when the metric
// is constructed. Constructors throw what the shader layer throws (a missing
// file, a compile or link error); no GL object survives a throw.
class Metric {
public:
    virtual float distance(Tuple a, Tuple b) = 0;
    // The point in the direction of v whose Euclidean length is v's distance
    // from the origin under this metric. The zero tuple gives NaN.
    virtual Tuple transform(const Tuple& v);
    // Sets the program's uniforms; called with the program bound.
    virtual void Use();
    // Why the surface may not show as expected, one line for the window;
    // empty when nothing is amiss.
    virtual const std::string& warning() const;
    virtual ~Metric() = default;

    // Attaches "metric.vert" and "metric.frag" after the metric's own vertex
    // shader and links, naming kCapturedVaryings for transform feedback. Each
    // concrete constructor calls it last.
    void Initialize();
    // What the program hands to transform feedback for each vertex, in
    // metric.vert's words: F(p) and the deformed surface's normal, both in
    // model space, then 1 where the metric is defined at p and 0 where not;
    // kCapturedFloats floats in all.
    static const std::vector<std::string> kCapturedVaryings;
    static constexpr int kCapturedFloats = 7;
    // Binds the program, then sets its uniforms.
    void Apply();
    const ShaderProg& program() const { return m_shaderProg; }

protected:
    ShaderProg m_shaderProg;
};

// The straight-line distance over all four components. Program "euclid.vert".
class EuclideanMetric : public Metric {
public:
    EuclideanMetric();
    float distance(Tuple a, Tuple b) override;
    Tuple transform(const Tuple& v) override;
};

// The sum of the absolute component differences over all four components.
// Program "cityblock.vert".
class CityBlockMetric : public Metric {
public:
    CityBlockMetric();
    float distance(Tuple a, Tuple b) override;
};

// The distance sqrt(d M d) for d = a - b and a 4x4 matrix M; NaN where the
// form is negative. The shader gets M's upper-left 3x3 block as the mat3
// uniform "g_matrix", rows as in M. Program "riemann.vert".
class RiemannianMetric : public Metric {
public:
    // Reads M from a matrix file (relative to the working directory) before
    // any shader file; throws "File not found: <name>" if it cannot. A matrix
    // whose surface cannot be seen from the start view (math/Ellipsoid.h)
    // gives a warning, also written to std::cerr at once.
    explicit RiemannianMetric(std::string filename);
    explicit RiemannianMetric(Matrix matrix);

    float distance(Tuple a, Tuple b) override;
    void Use() override;
    const std::string& warning() const override;

private:
    Matrix m_matrix;
    GLint m_matrixLocation;
    std::string m_warning;
};

// The Minkowski distance: the p-norm (math/PNorm.h) of a - b over all four
// components, for p > 0 or p = infinity. Program "minkowski.vert", whose
// uniform float "p" holds p, or 0 for infinity.
class MinkowskiMetric : public Metric {
public:
    explicit MinkowskiMetric(float p);

    float distance(Tuple a, Tuple b) override;
    void Use() override;
    // Changes p and the program's uniform at once, whatever program is bound;
    // builds nothing.
    void setP(float p);

private:
    float m_p;
    GLint m_pLocation;
};

// A metric the user writes: its vertex shader is any file defining
// metricNorm, metricGradient and metricColour, as the shipped ones do; it
// may call numericGradient (metric.vert) without declaring it. Its distance
// exists only in GLSL, so distance() is NaN on the CPU.
class CustomMetric : public Metric {
public:
    explicit CustomMetric(std::string filename);
    float distance(Tuple a, Tuple b) override;
};
