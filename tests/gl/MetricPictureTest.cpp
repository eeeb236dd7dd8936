// What each metric draws: the solid unit sphere seen the way the viewer sees
// it, measured in the read-back picture. Expected extents come from the
// projection: gluPerspective(45, 1) in a 400 px viewport with the eye at
// distance 5 puts a world point at lateral offset x and depth 5 - z at
// 200 * x / ((5 - z) * tan(22.5 deg)) px from the centre.
#include "metric/Metric.h"
#include "support/GlContext.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

const double kTanHalfFov = std::tan(22.5 * M_PI / 180.0);

// Pixels from the centre for a lateral offset `x` at depth `depth` from the eye.
double toPixels(double x, double depth) {
    return 200.0 * x / (depth * kTanHalfFov);
}

struct Rgb {
    int r, g, b;
    int operator[](int i) const { return i == 0 ? r : i == 1 ? g : b; }
};

class Picture {
public:
    explicit Picture(std::vector<unsigned char> pixels) : m_pixels(std::move(pixels)) {}
    Rgb at(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * 400 + static_cast<size_t>(x)) * 3;
        return {m_pixels[i], m_pixels[i + 1], m_pixels[i + 2]};
    }
    // Background is cleared to black; the darkest shade drawn is 0.3 of a
    // channel of at least 0.2, far above this.
    bool lit(int x, int y) const {
        const Rgb p = at(x, y);
        return p.r > 8 || p.g > 8 || p.b > 8;
    }
    // Distance from the centre of the viewport to the silhouette along the
    // unit direction (dx, dy), to a quarter of a pixel.
    double radius(double dx, double dy) const {
        double t = 0;
        while (t < 199 && lit(sample(200 + (t + 0.25) * dx), sample(200 + (t + 0.25) * dy)))
            t += 0.25;
        return t;
    }

private:
    static int sample(double c) { return static_cast<int>(std::floor(c)); }
    std::vector<unsigned char> m_pixels;
};

// Whether `p` is `colour` scaled by one shading factor: the dominant channel
// is the colour's and the other channels keep their ratio to it.
::testing::AssertionResult shadeOf(const Rgb& p, const float colour[3]) {
    int dominant = 0;
    for (int c = 1; c < 3; ++c)
        if (colour[c] > colour[dominant])
            dominant = c;
    if (p[dominant] < 20)
        return ::testing::AssertionFailure() << "too dark: " << p.r << " " << p.g << " " << p.b;
    for (int c = 0; c < 3; ++c) {
        const double ratio = double(p[c]) / p[dominant];
        if (std::fabs(ratio - colour[c] / colour[dominant]) > 0.06)
            return ::testing::AssertionFailure()
                   << "pixel " << p.r << " " << p.g << " " << p.b << " is not a shade of "
                   << colour[0] << " " << colour[1] << " " << colour[2];
    }
    return ::testing::AssertionSuccess();
}

const float kEuclidColour[3] = {1.0f, 0.62f, 0.2f};
const float kCityColour[3] = {0.3f, 0.95f, 0.4f};
const float kRiemannColour[3] = {0.35f, 0.55f, 1.0f};
const float kWhite[3] = {1.0f, 1.0f, 1.0f};

class MetricPictureTest : public GlTest {
protected:
    // Camera on +z at distance 5 looking at the origin, +y up; the metric's
    // program bound (none: fixed function), then the solid sphere.
    Picture draw(Metric* metric) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 1.0, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
        if (metric) {
            CerrCapture quiet;
            metric->Apply();
        } else {
            glUseProgramObjectARB(0);
        }
        glColor3f(1, 1, 1);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glutSolidSphere(1.0, 50, 50);
        Picture picture(readPixels());
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return picture;
    }
    ShaderDir dir;
};

// A round sphere's silhouette is the disc of the tangent cone: radius
// tan(asin(1/5)) at unit depth, the same in every direction.
TEST_F(MetricPictureTest, EuclideanIsADisc) {
    EuclideanMetric euclid;
    const Picture picture = draw(&euclid);
    const double expected = 200.0 * std::tan(std::asin(0.2)) / kTanHalfFov; // 98.6 px
    const double s = std::sqrt(0.5);
    const double dirs[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {s, s}, {-s, s}, {s, -s}, {-s, -s}};
    double lo = 1e9, hi = 0;
    for (const auto& d : dirs) {
        const double r = picture.radius(d[0], d[1]);
        EXPECT_NEAR(r, expected, 2.0) << "direction " << d[0] << " " << d[1];
        lo = std::min(lo, r);
        hi = std::max(hi, r);
    }
    EXPECT_LE(hi - lo, 2.0) << "not round";
}

// Seen along z the octahedron is a square on its corner: the corner (1, 0, 0)
// at depth 5 reaches 96.6 px, the edge midpoint (0.5, 0.5, 0) lies 68.3 px out
// along the diagonal, a ratio of sqrt(2). (The sphere has mesh vertices on the
// x axis but not on the y axis, so only the x corners are sharp.)
TEST_F(MetricPictureTest, CityBlockIsASquareOnItsCorner) {
    CityBlockMetric city;
    const Picture picture = draw(&city);
    const double corner = toPixels(1.0, 5.0);
    const double edge = toPixels(0.5, 5.0) * std::sqrt(2.0);
    const double s = std::sqrt(0.5);
    const double right = picture.radius(1, 0), left = picture.radius(-1, 0);
    EXPECT_NEAR(right, corner, 2.0);
    EXPECT_NEAR(left, corner, 2.0);
    const double diagonals[] = {picture.radius(s, s), picture.radius(-s, s), picture.radius(s, -s),
                                picture.radius(-s, -s)};
    for (double d : diagonals) {
        EXPECT_NEAR(d, edge, 2.0);
        EXPECT_NEAR(right / d, std::sqrt(2.0), 0.06);
    }
}

// G = diag(4, 1, 1) has semi-axes 0.5 along x and 1 along y and z. Scaling x
// by 0.5 maps the unit sphere onto it and scales its silhouette's x extent by
// the same factor.
TEST_F(MetricPictureTest, RiemannianDiagonalIsAnEllipse) {
    dir.write("riemann.mat", "4 0 0\n0 1 0\n0 0 1\n");
    RiemannianMetric riemann("riemann.mat");
    const Picture picture = draw(&riemann);
    const double sphere = 200.0 * std::tan(std::asin(0.2)) / kTanHalfFov;
    const double x = (picture.radius(1, 0) + picture.radius(-1, 0)) / 2;
    const double y = (picture.radius(0, 1) + picture.radius(0, -1)) / 2;
    EXPECT_NEAR(x, sphere / 2, 2.0);
    EXPECT_NEAR(y, sphere, 2.5);
    EXPECT_NEAR(x / y, 0.5, 0.03);
}

// The colour in the middle of the picture says which program drew it; with
// no program bound the fixed-function pipeline draws the unlit current colour.
TEST_F(MetricPictureTest, CentreColourTellsTheMetric) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Metric>()> make;
        const float* colour;
    };
    const Case cases[] = {
        {"euclid", [] { return std::make_unique<EuclideanMetric>(); }, kEuclidColour},
        {"city", [] { return std::make_unique<CityBlockMetric>(); }, kCityColour},
        {"riemann", [] { return std::make_unique<RiemannianMetric>("riemann.mat"); },
         kRiemannColour},
        {"fixed function", [] { return std::unique_ptr<Metric>(); }, kWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Metric> metric = c.make();
        const Picture picture = draw(metric.get());
        const Rgb centre = picture.at(200, 200);
        EXPECT_TRUE(shadeOf(centre, c.colour));
        if (!metric) {
            EXPECT_GE(centre.r, 250);
            EXPECT_GE(centre.g, 250);
            EXPECT_GE(centre.b, 250);
        }
    }
}

// G = diag(1, 1, -1): the form is negative around the z axis, so the sphere's
// caps facing the eye and away from it are undefined and discarded; what is
// left is part of the hyperboloid x^2 + y^2 - z^2 = 1. A ray from the eye at
// slope k off the axis meets that surface only if k^2 >= 1/26, i.e. beyond
// 94.7 px, so the middle must stay empty. The equator band (about 96-110 px)
// is defined and drawn, and every drawn pixel is a plain Riemannian shade.
TEST_F(MetricPictureTest, NotPositiveDefiniteDiscardsWhereUndefined) {
    dir.write("riemann.mat", "1 0 0\n0 1 0\n0 0 -1\n");
    RiemannianMetric riemann("riemann.mat");
    const Picture picture = draw(&riemann);

    int drawnInside = 0, oddShades = 0, drawn = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            if (!picture.lit(x, y))
                continue;
            ++drawn;
            const double r = std::hypot(x + 0.5 - 200, y + 0.5 - 200);
            if (r < 90)
                ++drawnInside;
            if (!shadeOf(picture.at(x, y), kRiemannColour) && oddShades++ == 0)
                ADD_FAILURE() << "first odd pixel at " << x << ", " << y << ": "
                              << shadeOf(picture.at(x, y), kRiemannColour).message();
        }
    EXPECT_EQ(drawnInside, 0) << "pixels drawn where the surface cannot be";
    EXPECT_EQ(oddShades, 0);
    EXPECT_GT(drawn, 0);

    const double s = std::sqrt(0.5);
    const double dirs[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {s, s}, {-s, -s}};
    for (const auto& d : dirs)
        for (double t = 99; t <= 108; t += 1)
            EXPECT_TRUE(picture.lit(static_cast<int>(std::floor(200 + t * d[0])),
                                    static_cast<int>(std::floor(200 + t * d[1]))))
                << "equator band missing at " << t << " px along " << d[0] << " " << d[1];
}

} // namespace
