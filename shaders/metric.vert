#version 120
// Draws the primitive as seen under a metric. The metric's own vertex shader,
// linked into the same stage, defines (and may call numericGradient, below):
//   metricNorm(p)     the metric's length of p; anything not positive and
//                     finite means "undefined here"
//   metricGradient(p) the gradient of metricNorm at p, or any positive
//                     multiple of it (the surface normal of the metric's
//                     unit sphere)
//   metricColour()    the colour that tells the metrics apart
// Every vertex p moves along its ray from the origin to F(p) = p * |p| / N(p),
// so the unit sphere becomes the metric's unit sphere, and the shape's own
// normal (gl_Normal) is carried through F to the deformed surface's normal.

float metricNorm(vec3 p);
vec3 metricGradient(vec3 p);
vec3 metricColour();

// The gradient of metricNorm at p by central differences, for a metric file
// that has no closed form of its own ("return numericGradient(p);"). The
// step is relative to |p|: N is 1-homogeneous, so its gradient is the same
// at every scale.
vec3 numericGradient(vec3 p) {
    float h = 1.0e-3 * length(p);
    if (!(h > 0.0))
        return vec3(0.0);
    vec3 dx = vec3(h, 0.0, 0.0), dy = vec3(0.0, h, 0.0), dz = vec3(0.0, 0.0, h);
    return vec3(metricNorm(p + dx) - metricNorm(p - dx), metricNorm(p + dy) - metricNorm(p - dy),
                metricNorm(p + dz) - metricNorm(p - dz)) / (2.0 * h);
}

varying vec3 v_normal; // eye space, not normalised
varying vec3 v_colour;
varying float v_defined; // 1 where the metric is defined at the vertex
// For the export, which captures them with transform feedback: F(p) and the
// deformed surface's normal in model space (the shape's fitted units), the
// normal not normalised.
varying vec3 v_deformedPosition;
varying vec3 v_deformedNormal;

// The normal n of the surface at p carried through F: F's Jacobian's inverse
// transpose applied to n. F is p times a scalar whose gradient is orthogonal
// to p (N is 1-homogeneous, so grad N . p = N), and with u = p / |p| and G a
// positive multiple of grad N the product reduces to
//   (G . p) (n - (u . n) u) + (p . n) G,
// which is G itself on the unit sphere (left unnormalised, as G is, so the
// sphere is lit exactly as by G). Where that is no direction (the
// origin, an undefined N, a gradient that vanishes or overflows) n is kept.
vec3 deformedNormal(vec3 p, vec3 n, vec3 g) {
    float r = length(p);
    if (r == 0.0)
        return n;
    vec3 u = p / r;
    vec3 m = dot(g, p) * (n - dot(u, n) * u) + dot(p, n) * g;
    // m's size goes with |G| |p|; far below that it is rounding, not a normal.
    float len = length(m);
    return len > 1.0e-6 * length(g) * r && len < 1.0e30 ? m : n;
}

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
    vec3 normal = defined > 0.0 ? deformedNormal(p, gl_Normal, metricGradient(q)) : gl_Normal;
    v_deformedPosition = q;
    v_deformedNormal = normal;
    v_normal = gl_NormalMatrix * normal;
    v_colour = metricColour();
    gl_Position = gl_ModelViewProjectionMatrix * vec4(q, 1.0);
}
