#version 120
// City-block metric: N(p) = |x| + |y| + |z|. Its unit sphere is the
// octahedron with corners at (+-1, 0, 0), (0, +-1, 0), (0, 0, +-1); the
// gradient is constant on each face, so the faces shade flat.

float metricNorm(vec3 p) {
    return abs(p.x) + abs(p.y) + abs(p.z);
}

vec3 metricGradient(vec3 p) {
    return sign(p);
}

vec3 metricColour() {
    return vec3(0.3, 0.95, 0.4);
}
