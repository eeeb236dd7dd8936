#include "metric/Metric.h"

#include "math/Ellipsoid.h"
#include "math/PNorm.h"

#include <cmath>
#include <iostream>
#include <limits>
#include <memory>

const std::vector<std::string> Metric::kCapturedVaryings = {"v_deformedPosition",
                                                            "v_deformedNormal", "v_defined"};

void Metric::Initialize() {
    m_shaderProg.attach(new Shader("metric.vert", GL_VERTEX_SHADER_ARB));
    m_shaderProg.attach(new Shader("metric.frag", GL_FRAGMENT_SHADER_ARB));
    m_shaderProg.setCapturedVaryings(kCapturedVaryings);
    m_shaderProg.link();
}

void Metric::Apply() {
    m_shaderProg.use();
    Use();
}

void Metric::Use() {}

const std::string& Metric::warning() const {
    static const std::string none;
    return none;
}

Tuple Metric::transform(const Tuple& v) {
    const Tuple zero(0, 0, 0, 0);
    Tuple n;
    {
        // The Euclidean length is taken from a Euclidean metric of its own, so
        // this needs the shader files and a GL context like any metric.
        EuclideanMetric euclid;
        n = v / euclid.distance(v, zero);
    }
    n *= distance(v, zero);
    return n;
}

EuclideanMetric::EuclideanMetric() {
    m_shaderProg.attach(new Shader("euclid.vert", GL_VERTEX_SHADER_ARB));
    Initialize();
}

float EuclideanMetric::distance(Tuple a, Tuple b) {
    const Tuple d = a - b;
    return std::sqrt(d.dot(d));
}

Tuple EuclideanMetric::transform(const Tuple& v) {
    return v;
}

CityBlockMetric::CityBlockMetric() {
    m_shaderProg.attach(new Shader("cityblock.vert", GL_VERTEX_SHADER_ARB));
    Initialize();
}

float CityBlockMetric::distance(Tuple a, Tuple b) {
    const Tuple d = a - b;
    return std::fabs(d[0]) + std::fabs(d[1]) + std::fabs(d[2]) + std::fabs(d[3]);
}

RiemannianMetric::RiemannianMetric(std::string filename)
    : m_matrix(filename), m_matrixLocation(-1) {
    // Not errors (the file reads as it reads), but a surface that is partly
    // or wholly missing, or too small or too large to see, deserves a word.
    const char* why = nullptr;
    switch (classifyEllipsoid(m_matrix)) {
    case EllipsoidView::NotPositiveDefinite:
        why = " is not positive definite; the surface is not drawn where p.Gp <= 0";
        break;
    case EllipsoidView::TooSmall:
        why = " is so large that its ellipsoid is smaller than a pixel in the start view";
        break;
    case EllipsoidView::TooLarge:
        why = " is so small that its ellipsoid lies beyond the far plane";
        break;
    case EllipsoidView::Zero:
        why = " is all zeros (a word reads as 0); no surface is drawn";
        break;
    case EllipsoidView::Infinite:
        why = " holds a number too large for a float (over 3.4e38); no surface is drawn";
        break;
    case EllipsoidView::Visible:
        break;
    }
    if (why) {
        m_warning = "Warning: " + filename + why;
        std::cerr << m_warning << "\n";
    }
    m_shaderProg.attach(new Shader("riemann.vert", GL_VERTEX_SHADER_ARB));
    Initialize();
}

RiemannianMetric::RiemannianMetric(Matrix matrix) : m_matrix(matrix), m_matrixLocation(-1) {
    m_shaderProg.attach(new Shader("riemann.vert", GL_VERTEX_SHADER_ARB));
    Initialize();
}

float RiemannianMetric::distance(Tuple a, Tuple b) {
    const ColumnTuple c(a - b);
    const RowTuple r = c.transpose();
    const RowTuple p = r * m_matrix;
    return std::sqrt(p * c);
}

const std::string& RiemannianMetric::warning() const {
    return m_warning;
}

void RiemannianMetric::Use() {
    m_matrixLocation = glGetUniformLocationARB(m_shaderProg.getHandle(), "g_matrix");
    const std::unique_ptr<float[]> block(m_matrix.getMat3());
    // The block is row-major; GL_TRUE says so, so "g_matrix" has the file's
    // rows as its rows.
    glUniformMatrix3fvARB(m_matrixLocation, 1, GL_TRUE, block.get());
}

MinkowskiMetric::MinkowskiMetric(float p) : m_p(p) {
    m_shaderProg.attach(new Shader("minkowski.vert", GL_VERTEX_SHADER_ARB));
    Initialize();
    m_pLocation = glGetUniformLocationARB(m_shaderProg.getHandle(), "p");
}

float MinkowskiMetric::distance(Tuple a, Tuple b) {
    const Tuple d = a - b;
    const float components[] = {d[0], d[1], d[2], d[3]};
    return pNorm(components, 4, m_p);
}

void MinkowskiMetric::Use() {
    glUniform1fARB(m_pLocation, std::isinf(m_p) ? 0.0f : m_p);
}

void MinkowskiMetric::setP(float p) {
    m_p = p;
    // Uniforms go to the bound program: bind this one for a moment.
    const GLhandleARB bound = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glUseProgramObjectARB(m_shaderProg.getHandle());
    Use();
    glUseProgramObjectARB(bound);
}

CustomMetric::CustomMetric(std::string filename) {
    m_shaderProg.attach(
        new Shader(filename, GL_VERTEX_SHADER_ARB, "vec3 numericGradient(vec3 p);"));
    Initialize();
}

float CustomMetric::distance(Tuple, Tuple) {
    return std::numeric_limits<float>::quiet_NaN();
}
