#version 120
// Minkowski metric: N(v) = (|x|^p + |y|^p + |z|^p)^(1/p). Its unit sphere
// runs from the octahedron (p = 1) through the round sphere (p = 2) to the
// cube (p = infinity); below 1 it is pinched, not convex.
//
// p is the exponent, set by the viewer without rebuilding the program. A
// value in (0, 1e30) is used as it is; anything else (the viewer sends 0)
// stands for infinity: N is the largest |component|.
//
// Both N and its gradient factor out the largest |component| m, so no power
// overflows or underflows: every ratio is in [0, 1] and the sum in [1, 3].

uniform float p;

bool infiniteP() {
    return !(p > 0.0 && p < 1.0e30);
}

float largest(vec3 a) {
    return max(a.x, max(a.y, a.z));
}

// t^e for t in [0, 1] and e > 0, with 0^e = 0 spelled out.
vec3 powers(vec3 t, float e) {
    return vec3(t.x > 0.0 ? pow(t.x, e) : 0.0, t.y > 0.0 ? pow(t.y, e) : 0.0,
                t.z > 0.0 ? pow(t.z, e) : 0.0);
}

// N(v) / m for m > 0 and finite p. The largest ratio is 1; the sum is at
// least that even where division rounds it below 1 and p is large.
float scaledNorm(vec3 t) {
    vec3 s = powers(t, p);
    return pow(max(1.0, s.x + s.y + s.z), 1.0 / p);
}

float metricNorm(vec3 v) {
    vec3 a = abs(v);
    float m = largest(a);
    if (infiniteP() || m == 0.0)
        return m;
    return m * scaledNorm(a / m);
}

// A positive multiple of the gradient sign(v_i) (|v_i| / N)^(p - 1), which
// is all the caller needs: sign(v_i) (|v_i| / m)^(p - 1), m the largest
// |component|, which needs no N. Below p = 1 that is unbounded on the
// coordinate planes, so it is returned times the product of
// (|v_j| / m)^(1 - p) over j: finite, and on a plane the limit normal. It is
// 0 at the origin and, below 1, on the axes, where no normal exists. For
// p = infinity: the axis of the largest component (the sum of them on the
// cube's edges and corners).
vec3 metricGradient(vec3 v) {
    vec3 a = abs(v);
    float m = largest(a);
    if (m == 0.0)
        return vec3(0.0);
    if (infiniteP())
        return sign(v) * vec3(greaterThanEqual(a, vec3(m)));
    vec3 r = a / m;
    if (p >= 1.0)
        return sign(v) * powers(r, p - 1.0);
    vec3 h = powers(r, 1.0 - p);
    vec3 s = vec3(v.x < 0.0 ? -1.0 : 1.0, v.y < 0.0 ? -1.0 : 1.0, v.z < 0.0 ? -1.0 : 1.0);
    return s * vec3(h.y * h.z, h.x * h.z, h.x * h.y);
}

vec3 metricColour() {
    return vec3(0.9, 0.3, 0.85);
}
