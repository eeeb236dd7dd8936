#version 120
// Euclidean metric: N(p) = |p|. Its unit sphere is the round sphere.

float metricNorm(vec3 p) {
    return length(p);
}

vec3 metricGradient(vec3 p) {
    return p;
}

vec3 metricColour() {
    return vec3(1.0, 0.62, 0.2);
}
