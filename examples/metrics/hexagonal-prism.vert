#version 120
// A polyhedral norm: the hexagonal prism. Across z the unit ball is the
// regular hexagon with corners at distance 1 on the x axis and its flat
// sides facing +-y; along z it reaches `height`. N is the largest of the
// three side distances and |z| / height, so the faces shade flat.
// Try: zemlavor -m examples/metrics/hexagonal-prism.vert --set height=0.5

uniform float height = 0.8;

// The hexagon's apothem (centre to side) for corners at distance 1.
const float apothem = 0.8660254;

float metricNorm(vec3 v) {
    vec2 p = v.xy;
    float side = max(abs(p.y), max(abs(0.8660254 * p.x + 0.5 * p.y),
                                    abs(0.8660254 * p.x - 0.5 * p.y)));
    return max(side / apothem, abs(v.z) / height);
}

vec3 metricGradient(vec3 v) {
    return numericGradient(v);
}

vec3 metricColour() {
    return vec3(0.85, 0.45, 0.3);
}
