// The viewer on a real GL context, driven through its GLUT callbacks the way
// a user drives it (window sizes, drags, keys, broken files), the pictures it
// draws, and the shader and metric layers underneath.
#include "shader/ShaderError.h"
#include "support/GlContext.h"
#include "support/Reference.h"
#include "view/Mouse.h"

#include <GL/glut.h>
#include <gmock/gmock.h>

#include <array>
#include <functional>

namespace {

using namespace testing;

std::vector<float> v(const Tuple& t) {
    return {t[0], t[1], t[2], t[3]};
}

// Distance from the centre of the picture to the edge of what is drawn along
// the unit direction (dx, dy), to a quarter pixel; 0 when the centre is empty.
double radius(const Pixels& rgb, double dx, double dy) {
    double t = 0;
    for (size_t i = 80200 * 3; t < 199 && rgb[i] + rgb[i + 1] + rgb[i + 2] > 24; t += 0.25)
        i = (size_t(200 + (t + 0.25) * dy) * 400 + size_t(200 + (t + 0.25) * dx)) * 3;
    return t;
}

using ViewerTest = GlTest;

// The Euclidean and city-block metrics' colours.
const ref::Vec kOrange = {1, 0.62, 0.2}, kGreen = {0.3, 0.95, 0.4};

// The viewport is the whole window (a height of 0 counts as 1; a side larger
// than the GL can draw, as large as it can) and the projection a 45 degree
// perspective of its aspect: cot 22.5 deg vertically, that over the aspect
// horizontally. (Every picture below needs GL_MODELVIEW left current.)
TEST_F(ViewerTest, ReshapeLoadsWhatGluGives) {
    const float cot = 1 / std::tan(M_PI / 8), limit = maxDrawableSize();
    const std::array<float, 4> cases[] = {
        {300, 600, 300, 600}, {640, 0, 640, 1}, {1 << 20, 400, limit, 400}};
    for (auto [width, height, w, h] : cases) {
        Reshape(width, height);
        GLfloat viewport[4], p[16];
        glGetFloatv(GL_VIEWPORT, viewport);
        glGetFloatv(GL_PROJECTION_MATRIX, p);
        EXPECT_THAT(viewport, ElementsAre(0, 0, w, h));
        EXPECT_THAT(std::vector({p[0], p[5], p[10], p[14]}),
                    Pointwise(FloatNear(1e-5), {cot * h / w, cot, -1001 / 999.0f, -2000 / 999.0f}));
    }
}

// A right drag orbits 1 degree a pixel: leftward turns the eye about +z from
// +x toward +y, upward tilts it down from +z, and it stays 1 degree off the
// poles. A middle drag zooms 0.1 units a pixel: upward away, downward closer
// and through the look-at point out on the other side, 0.001 past it for a
// step that lands on it. Each drag goes in two steps,
// after a press GLUT never reported released (which the passive motion before
// the drag forgets); a motion after the release moves nothing.
TEST_F(ViewerTest, DragsMoveTheEye) {
    const float c30 = 5 * std::sqrt(3.0f), s1 = 10 * std::sin(M_PI / 180),
                c1 = 10 * std::cos(M_PI / 180);
    const std::tuple<Tuple, int, int, int, Tuple> cases[] = {
        {{10, 0, 0, 0}, GLUT_RIGHT_BUTTON, -90, 0, {0, 10, 0, 0}},
        {{10, 0, 0, 0}, GLUT_RIGHT_BUTTON, 30, 0, {c30, -5, 0, 0}},
        {{0, 10, 0, 0}, GLUT_RIGHT_BUTTON, 0, -60, {0, 5, -c30, 0}},
        {{0, 0, 10, 0}, GLUT_RIGHT_BUTTON, 0, 2, {s1, 0, c1, 0}},
        {{0, 0, -10, 0}, GLUT_RIGHT_BUTTON, 0, -2, {s1, 0, -c1, 0}},
        {{0, 0, 10, 0}, GLUT_MIDDLE_BUTTON, 0, -10, {0, 0, 11, 0}},
        {{0.3f, 0, 0.4f, 0}, GLUT_MIDDLE_BUTTON, 0, 8, {-0.18f, 0, -0.24f, 0}},
        {{0, 0, 0, 0}, GLUT_MIDDLE_BUTTON, 0, -10, {0, 0, 1, 0}},
        {{0, 0, 1, 0}, GLUT_MIDDLE_BUTTON, 0, 10, {0, 0, -0.001f, 0}},
    };
    for (const auto& [from, button, dx, dy, to] : cases) {
        camera->setCartLocation(from);
        MouseFunc(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
        PassiveMotionFunc(100, 100);
        MouseFunc(button, GLUT_DOWN, 100, 100);
        MotionFunc(100 + dx / 2, 100 + dy / 2);
        MotionFunc(100 + dx, 100 + dy);
        MouseFunc(button, GLUT_UP, 100 + dx, 100 + dy);
        MotionFunc(150, 150);
        EXPECT_THAT(v(camera->getCartLocation()), Pointwise(FloatNear(1e-4), v(to)));
    }
    // The panel's distance keeps the direction; the eye is the look-at point
    // plus the location.
    camera->setDistance(5);
    camera->setLookAt(Tuple(1, 2, 3, 0));
    EXPECT_THAT(v(camera->getAbsolutePos()), Pointwise(FloatNear(1e-4), {1, 2, -2, 0}));
}

// f toggles wireframe, 1 to 3 choose the sphere or the teapot (which a
// frame keeps), h toggles the status line; keys are case-sensitive and
// others do nothing.
TEST_F(ViewerTest, KeysChooseFillAndShape) {
    const std::string keys = "f3F12ETRfhh", wires = "00000000111", prims = "02201111111",
                      shown = "00000000010";
    for (size_t k = 0; k < keys.size(); ++k) {
        processNormalKeys(keys[k], 0, 0);
        frame();
        EXPECT_EQ(std::tuple(wire, prim, showStatus),
                  std::tuple(wires[k] == '1', prims[k] - '0', shown[k] == '1'))
            << keys[k];
    }
    EXPECT_EQ(current, nullptr) << "a metric key is case-sensitive";
}

// Compares the solid shape drawn by the current metric with the formula at
// points all over its visible surface, `surface` at s and t on a 40x40 grid
// of [0, 1]^2. Each point is deformed and lit on the CPU by the deformed
// surface's own normal; where it faces the eye, is not hidden, and is not
// near a crease (the mean of the normals 0.03 on either side in s or in t is
// its normal), the pixel must show
// the colour so lit. Returns how many points were compared.
using Surface = std::function<ref::Vec(double s, double t)>;
int expectTrueToTheFormula(const ref::Norm& norm, const ref::Vec& colour, const Surface& surface) {
    const Pixels rgb = GlTest::readPixels();
    std::vector<float> depth(400 * 400);
    glReadPixels(0, 0, 400, 400, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    const Tuple eye = Camera::getInstance()->getAbsolutePos();
    const auto normal = [&](double s, double t) {
        const double h = 1e-5;
        const auto f = [&](double ds, double dt) {
            return ref::deform(norm, surface(s + ds, t + dt));
        };
        const ref::Vec n =
            ref::unit(ref::cross(ref::add(f(h, 0), f(-h, 0), -1), ref::add(f(0, h), f(0, -h), -1)));
        // Outward: every shape here is a star around the origin.
        return ref::add({0, 0, 0}, n, ref::dot(n, f(0, 0)) < 0 ? -1 : 1);
    };
    int compared = 0;
    for (double s = 0.0125; s < 1; s += 0.025)
        for (double t = 0.0125; t < 1; t += 0.025) {
            const ref::Vec n = normal(s, t), q = ref::deform(norm, surface(s, t)),
                           w = ref::project(q);
            bool smooth = ref::dot(n, ref::unit(ref::add({eye[0], eye[1], eye[2]}, q, -1))) > 0.3;
            for (auto [ds, dt] : {std::pair{0.03, 0.0}, {0.0, 0.03}})
                smooth = smooth && ref::dot(n, ref::unit(ref::add(normal(s + ds, t + dt),
                                                                  normal(s - ds, t - dt)))) > 0.99;
            const size_t i = size_t(w[1]) * 400 + size_t(w[0]);
            if (!smooth || w[0] < 0 || w[0] >= 400 || w[1] < 0 || w[1] >= 400 ||
                std::fabs(depth[i] - w[2]) > 2e-3)
                continue;
            EXPECT_THAT(std::vector<double>(rgb.begin() + 3 * i, rgb.begin() + 3 * i + 3),
                        Pointwise(DoubleNear(12), ref::shade(colour, n)))
                << "at s " << s << ", t " << t;
            ++compared;
        }
    return compared;
}

// The unit sphere: s the azimuth, t the polar angle, each over its range.
ref::Vec spherePoint(double s, double t) {
    const double theta = 2 * M_PI * s, phi = M_PI * t;
    return {std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi)};
}

// Each metric key builds its metric from the files, with the shell's p for
// the Minkowski metric; the status line names it; and the solid unit sphere
// becomes the metric's own unit sphere, lit in its colour by its own normal.
// Where the matrix's form is not positive nothing is drawn (the line of
// sight is such a direction). Seen from (5, 0, 0), screen right is +y and up
// is +z; a point s units off the line of sight at depth d is drawn
// 200 s / (d tan 22.5 deg) px from the centre: the round outline 98.6 px
// out, the octahedron's corners 96.6 px, the cube's front face 120.7 px. The
// octahedron's edges seen so lie on the meridians at +-90 degrees, which the
// sphere has only when its detail is a multiple of 4; at detail 50 its 7.2
// degree chords cut them and the cube's by pixels, a finer sphere draws
// them straight.
TEST_F(ViewerTest, EachMetricDrawsItsUnitSphereTrueToTheFormula) {
    const double tan = std::tan(M_PI / 8), disc = 200 * std::tan(std::asin(0.2)) / tan,
                 corner = 200 / (5 * tan), cube = 200 / (4 * tan);
    using Outline = std::function<double(double c, double s)>; // radius at cos, sin
    const Outline round = [=](double, double) { return disc; },
                  octahedron = [=](double c, double s) { return corner / (c + s); },
                  squeezed = [=](double c,
                                 double s) { return disc / std::sqrt(4 * c * c + s * s); },
                  square = [=](double c, double s) { return cube / std::max(c, s); },
                  none = [](double, double) { return 0.0; };
    const ref::Vec minkowski = {0.9, 0.3, 0.85}, riemann = {.35, .55, 1};
    const std::string mink = "Minkowski metric  p = ";
    const std::tuple<char, float, int, const char*, ref::Norm, ref::Vec, Outline, double,
                     std::string>
        cases[] = {
            {'e', 3, 50, "", ref::minkowski(2), kOrange, round, 1, "Euclidean metric"},
            {'t', 3, 200, "", ref::minkowski(1), kGreen, octahedron, 1, "city-block metric"},
            // Semi-axis 0.5 along y: the disc squeezed sideways.
            {'r', 3, 50, "1 0 0\n0 4 0\n0 0 1", ref::quadratic({1, 0, 0, 0, 4, 0, 0, 0, 1}),
             riemann, squeezed, 1.5, "Riemannian metric"},
            {'r', 3, 50, "1 1 0.4\n0.6 2 0.4\n0 0.4 0.6",
             ref::quadratic({1, 1, 0.4, 0.6, 2, 0.4, 0, 0.4, 0.6}), riemann, nullptr, 0,
             "Riemannian metric"},
            {'r', 3, 50, "-1 0 0\n0 1 0\n0 0 1", ref::quadratic({-1, 0, 0, 0, 1, 0, 0, 0, 1}),
             riemann, none, 0, "Riemannian metric"},
            {'m', 1, 200, "", ref::minkowski(1), minkowski, octahedron, 1, mink + "1.00"},
            {'m', 3, 50, "", ref::minkowski(3), minkowski, nullptr, 0, mink + "3.00"},
            {'m', 0.7071f, 50, "", ref::minkowski(0.7071), minkowski, nullptr, 0,
             mink + "0.71 (quasi-norm: not convex)"},
            {'m', INFINITY, 400, "", ref::minkowski(INFINITY), minkowski, square, 1,
             mink + "\u221e"},
            // The user's 4-norm file at scale 2 (--set, given twice): half
            // the Minkowski shape at p = 4.
            {'u', 3, 50, "", [](const ref::Vec& v) { return 2 * ref::minkowski(4)(v); }, minkowski,
             nullptr, 0, "four.vert metric"},
        };
    setMetricFile(dir.write("four.vert", kFourNorm));
    setUniformValue({"scale", {3}});
    setUniformValue({"scale", {2}});
    setUniformValue({"p", {4}});
    wire = false;
    for (const auto& [key, p, sphereDetail, matrix, norm, colour, outline, slack, status] : cases) {
        SCOPED_TRACE(std::string(1, key) + matrix + " p " + std::to_string(p) + " detail " +
                     std::to_string(sphereDetail));
        dir.write("riemann.mat", matrix);
        setP(p);
        detail = sphereDetail;
        processNormalKeys(key, 0, 0);
        EXPECT_EQ(statusLine(), status);
        // The outline along an axis, where it is known in closed form (the
        // eye is the location plus the look-at point, +z up); the shading
        // from off every axis and plane of symmetry.
        camera->setLookAt(Tuple(-1, 0, 0, 0));
        camera->setCartLocation(Tuple(6, 0, 0, 0));
        const Pixels picture = frame();
        for (double angle = 0; outline && angle <= 90; angle += 15) {
            const double c = std::cos(angle * M_PI / 180), s = std::sin(angle * M_PI / 180);
            EXPECT_NEAR(radius(picture, c, s), outline(c, s), slack) << angle << " degrees";
        }
        camera->setLookAt(Tuple(0, 0, 0, 0));
        camera->setCartLocation(Tuple(2.2f, 4.1f, 2.9f, 0));
        frame();
        // Where nothing is drawn there is nothing to compare.
        EXPECT_GE(expectTrueToTheFormula(norm, colour, spherePoint),
                  slack == 0 && outline ? 0 : 100);
    }
    // Programs without the uniform (every shipped one) are named once.
    const std::string text = quiet.text(),
                      missing =
                          "has no uniform float scale (the compiler removes one it does not use)";
    EXPECT_EQ(text.find(missing), text.rfind(missing));
    EXPECT_NE(text.find(missing), std::string::npos);
}

// A switch to a metric with a broken file builds nothing: its message ends
// standard error (a compiler's log comes before it, under a header giving its
// length), no program is bound and no GL object of the old metric or the
// failed one is left. A matrix that reads but shows nothing useful builds,
// and one line of standard error says why, as does the status box at the
// bottom left (15 pixels a line and 8 more) under the metric's name.
TEST_F(ViewerTest, BrokenFilesAtAKeyPress) {
    // What a switch to the Riemannian metric writes after any warning: the
    // new program's dump, its own shader first.
    const std::string
        w = "Warning: riemann.mat is ",
        f = "Warning: riemann.mat holds a number too large for a float (over 3.4e38); ",
        riemann = "Using shader dumped below:\nDump of ShaderProg object:\nNo error "
                  "log to dump for this ShaderProg\nNo info log for shader "
                  "riemann.vert\nNo info log for shader metric.vert\nNo info log "
                  "for shader metric.frag\n";
    // The last number: lines in the status box, the metric's name and its
    // warning wrapped at the window's width, at the last space that fits.
    const std::tuple<char, const char*, const char*, std::string, int> cases[] = {
        {'t', "cityblock.vert", nullptr, "File not found: cityblock.vert\n", 0},
        {'e', "metric.vert", "/", "File not found: metric.vert\n", 0}, // a directory
        {'t', "metric.frag", "", "Shader::compile() error: metric.frag\n", 0},
        {'r', "riemann.vert", "float f() { return 1.0; }", "ShaderProg::link() error\n", 0},
        {'r', "riemann.mat", nullptr, "File not found: riemann.mat\n", 0},
        {'r', "riemann.mat", "1.0 0.6 0.0\n0.6 2.0 0.4\n0.0 0.4 0.6\n", riemann, 1},
        {'r', "riemann.mat", "1 2 0\n2 1 0\n0 0 1\n",
         w + "not positive definite; the surface is not drawn where p.Gp <= 0\n" + riemann, 3},
        {'r', "riemann.mat", "1e30 0 0\n0 1e30 0\n0 0 1e30\n",
         w + "so large that its ellipsoid is smaller than a pixel in the start view\n" + riemann,
         4},
        {'r', "riemann.mat", "1e-30 0 0\n0 1e-30 0\n0 0 1e-30\n",
         w + "so small that its ellipsoid lies beyond the far plane\n" + riemann, 3},
        {'r', "riemann.mat", "one two\nthree\n",
         w + "all zeros (a word reads as 0); no surface is drawn\n" + riemann, 3},
        {'r', "riemann.mat", "1 0 0\n0 1e39 0\n0 0 1\n", f + "no surface is drawn\n" + riemann, 3},
    };
    for (const auto& [key, file, bytes, err, lines] : cases) {
        SCOPED_TRACE(file);
        ShaderDir fresh;
        const std::set<GLuint> before = live();
        processNormalKeys(key, 0, 0);
        std::filesystem::remove(file);
        if (bytes && *bytes == '/')
            std::filesystem::create_directory(file);
        else if (bytes)
            fresh.write(file, bytes);
        CerrCapture cerr;
        processNormalKeys(key, 0, 0);
        const std::string text = cerr.text();
        const bool builds = err.find("Using") != std::string::npos;
        EXPECT_THAT(text, builds ? Matcher<std::string>(Eq(err)) : EndsWith(err));
        EXPECT_THAT(std::vector({current != nullptr, glGetHandleARB(GL_PROGRAM_OBJECT_ARB) != 0,
                                 ShaderProg::s_shaderInUse != nullptr}),
                    Each(builds));
        EXPECT_TRUE(builds || live() == before) << "a GL object was left";
        showStatus = true;
        int rows = 0;
        for (const Pixels picture = frame(); rows < 400 && picture[rows * 1200 + 2] > 0;)
            ++rows;
        EXPECT_EQ(rows, lines ? 15 * lines + 8 : 0);
    }
}

// All four components count; the Riemannian distance is NaN where the form is
// negative; the Minkowski one is found without overflow (the largest
// component factored out), is 0 only at 0 and NaN with a NaN; the default
// mapping scales v to the Euclidean length of its norm.
// "g_matrix" holds the upper-left 3x3 block, rows as written; the GL reports
// a mat3 column by column.
TEST_F(ViewerTest, MetricDistancesMappingAndUniform) {
    EuclideanMetric euclid;
    CityBlockMetric city;
    RiemannianMetric riemann(
        Matrix(Tuple(-4, 1, 0, 0), Tuple(3, 5, 1, 0), Tuple(0, -1, 3, 1), Tuple(1, 0, 2, 6)));
    MinkowskiMetric power(64), root(0.5f), cube(INFINITY);
    EXPECT_THAT(std::vector({euclid.distance(Tuple(1, 2, 3, 4), Tuple(1, -2, 3, 6)),
                             city.distance(Tuple(1, 2, 3, 4), Tuple(2, 4, 0, 3)),
                             riemann.distance(Tuple(1, 2, 0, 1), Tuple(0, 1, 0, 0)),
                             riemann.distance(Tuple(1, 0, 0, 0), Tuple()),
                             power.distance(Tuple(1e37f, 0, 0, -1e37f), Tuple()),
                             root.distance(Tuple(1, 4, 0, 0), Tuple()),
                             root.distance(Tuple(1, 2, 3, 4), Tuple(1, 2, 3, 4)),
                             cube.distance(Tuple(1, NAN, 0, 0), Tuple())}),
                ElementsAre(FloatNear(std::sqrt(20.0f), 1e-5), 7, FloatNear(std::sqrt(12.0f), 1e-5),
                            IsNan(), FloatNear(1e37f * std::exp2(1 / 64.0f), 1e31f),
                            FloatNear(9, 1e-5), 0, IsNan()));
    EXPECT_THAT(v(city.transform(Tuple(1, -1, 0, 0))),
                Pointwise(FloatNear(1e-5), {M_SQRT2, -M_SQRT2, 0.0, 0.0}));

    riemann.Apply();
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    std::vector<float> g(9);
    glGetUniformfvARB(program, glGetUniformLocationARB(program, "g_matrix"), g.data());
    EXPECT_THAT(g, ElementsAre(-4, 3, 0, 1, 5, -1, 0, 1, 3));
}

// The shader layer beyond what the viewer calls: a copy compiles the file
// anew as the same kind (discard, in metric.frag, is a fragment stage's
// word); detach takes out the one shader named, after which the program
// lacks metricNorm; a compile failure's dump gives its log's length; a
// program the GL will not bind says so when used.
TEST_F(ViewerTest, ShaderLayerBeyondTheViewer) {
    const Shader fragment("metric.frag", GL_FRAGMENT_SHADER_ARB);
    EXPECT_NO_THROW(Shader{fragment});
    ShaderProg program;
    program.attach(new Shader("euclid.vert", GL_VERTEX_SHADER_ARB));
    program.attach(new Shader("metric.vert", GL_VERTEX_SHADER_ARB));
    program.attach(new Shader(fragment));
    program.detach("nothing");
    EXPECT_NO_THROW(program.link());
    program.detach("euclid.vert");
    EXPECT_THROW(program.link(), ShaderError);
    CerrCapture cerr;
    ShaderProg().use();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    try {
        Shader(dir.write("broken.vert", "#version 120\nbroken\n"), GL_VERTEX_SHADER_ARB);
        ADD_FAILURE() << "broken.vert compiled";
    } catch (const ShaderError& e) {
        EXPECT_THAT(cerr.text(),
                    HasSubstr("(length " + std::to_string(e.log().size()) + ") :\n" + e.log()));
        EXPECT_EQ(e.log().find('\0'), std::string::npos);
    }
    EXPECT_THAT(cerr.text(), HasSubstr("Aww fuck and we aren't even using the shader\n"));
}

} // namespace
