#version 120
// Riemannian metric: N(p) = sqrt(p . G p) with G = g_matrix, the upper-left
// 3x3 block of riemann.mat, rows as in the file. Its unit sphere is the
// ellipsoid p . G p = 1. Where the form is not positive (a matrix that is not
// positive definite) the norm is undefined and the surface is not drawn.

uniform mat3 g_matrix;

float metricNorm(vec3 p) {
    float s = dot(p, g_matrix * p);
    return s > 0.0 ? sqrt(s) : -1.0;
}

vec3 metricGradient(vec3 p) {
    return g_matrix * p + p * g_matrix;
}

vec3 metricColour() {
    return vec3(0.35, 0.55, 1.0);
}
