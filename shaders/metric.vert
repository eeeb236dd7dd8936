#version 120
// Draws the primitive as seen under a metric. The metric's own vertex shader,
// linked into the same stage, defines:
//   metricNorm(p)     the metric's length of p; anything not positive and
//                     finite means "undefined here"
//   metricGradient(p) the gradient of metricNorm at p (the surface normal of
//                     the metric's unit sphere)
//   metricColour()    the colour that tells the metrics apart
// Every vertex p moves along its ray from the origin to p * |p| / N(p), so the
// unit sphere becomes the metric's unit sphere.

float metricNorm(vec3 p);
vec3 metricGradient(vec3 p);
vec3 metricColour();

varying vec3 v_normal; // eye space, not normalised
varying vec3 v_colour;
varying float v_defined; // 1 where the metric is defined at the vertex

void main() {
    vec3 p = gl_Vertex.xyz;
    float r = length(p);
    vec3 q = p;
    float defined = 1.0;
    if (r > 0.0) {
        float n = metricNorm(p);
        // NaN fails both comparisons, so it counts as undefined too.
        if (n > 0.0 && n < 1.0e30)
            q = p * (r / n);
        else
            defined = 0.0;
    }
    v_defined = defined;
    v_normal = gl_NormalMatrix * metricGradient(q);
    v_colour = metricColour();
    gl_Position = gl_ModelViewProjectionMatrix * vec4(q, 1.0);
}
