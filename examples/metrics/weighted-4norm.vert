#version 120
// A weighted 4-norm: N(v) = (a x^4 + b y^4 + c z^4)^(1/4) with the weights
// (a, b, c) in `weights`. Its unit sphere is a rounded box, shorter along the
// heavier axes. Try: zemlavor -m examples/metrics/weighted-4norm.vert
// --set weights=1,16,1 --solid

uniform vec3 weights = vec3(1.0, 4.0, 16.0);

float metricNorm(vec3 v) {
    // Scaled by the largest |component| first, so no power overflows.
    vec3 a = abs(v);
    float m = max(a.x, max(a.y, a.z));
    if (m == 0.0)
        return 0.0;
    vec3 t = a / m;
    return m * pow(dot(weights, t * t * t * t), 0.25);
}

vec3 metricGradient(vec3 v) {
    return numericGradient(v);
}

vec3 metricColour() {
    return vec3(0.95, 0.8, 0.25);
}
