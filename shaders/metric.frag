#version 120
// Shades the metric's surface with one fixed directional light (eye space,
// from above, right and in front) and an ambient term. Both sides of a
// surface are lit alike, so the inside of the teapot reads as well.

varying vec3 v_normal;
varying vec3 v_colour;
varying float v_defined;

const vec3 lightDirection = vec3(0.35, 0.5, 0.79);
const float ambient = 0.3;

void main() {
    // A triangle with any corner where the metric is undefined is dropped.
    if (v_defined < 0.999)
        discard;
    float len = length(v_normal);
    vec3 n = len > 0.0 ? v_normal / len : vec3(0.0, 0.0, 1.0);
    float diffuse = abs(dot(n, normalize(lightDirection)));
    gl_FragColor = vec4(v_colour * (ambient + (1.0 - ambient) * diffuse), 1.0);
}
