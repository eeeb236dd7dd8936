#version 120
// A superellipsoid with two exponents: N(v) = ((|x|^(2/e) + |y|^(2/e))^(e/n)
// + |z|^(2/n))^(n/2). e shapes the sections across z (1 round, towards 0
// square, 2 a diamond), n the profile along z alike. e = n = 1 is the round
// sphere. Try: zemlavor -m examples/metrics/superellipsoid.vert --set e=0.3
// --set n=1.5 --solid

uniform float e = 0.4;
uniform float n = 1.2;

float metricNorm(vec3 v) {
    vec3 a = abs(v);
    float m = max(a.x, max(a.y, a.z));
    if (m == 0.0)
        return 0.0;
    vec3 t = a / m;
    float across = pow(pow(t.x, 2.0 / e) + pow(t.y, 2.0 / e), e / n);
    return m * pow(across + pow(t.z, 2.0 / n), n / 2.0);
}

vec3 metricGradient(vec3 v) {
    return numericGradient(v);
}

vec3 metricColour() {
    return vec3(0.3, 0.8, 0.9);
}
