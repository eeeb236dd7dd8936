// The Minkowski metric in the shell (its keys, the uniform they change
// without building anything, the clock-driven sweep) and its pictures
// against the city-block, Euclidean and cube references.
#include "app/Shell.h"
#include "metric/Metric.h"
#include "support/GlContext.h"
#include "view/Camera.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The shell's p and the bound program's uniform (0 standing for infinity).
void expectP(float want, const std::string& when) {
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    float held = -1;
    glGetUniformfvARB(program, glGetUniformLocationARB(program, "p"), &held);
    EXPECT_FLOAT_EQ(getP(), want) << when;
    EXPECT_FLOAT_EQ(held, std::isinf(want) ? 0 : want) << when;
}

// The number of a new GL object, deleted at once.
GLhandleARB probe() {
    const GLhandleARB object = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    glDeleteObjectARB(object);
    return object;
}

class MinkowskiTest : public GlTest {
protected:
    void TearDown() override {
        delete current;
        current = nullptr;
        GlTest::TearDown();
    }
    // Pixels covered by the solid sphere (or glutSolidCube(2)) seen from +z
    // at distance 5 under `metric` (null: fixed function, white).
    static int covered(Metric* metric, bool cube = false) {
        Reshape(400, 400);
        gluLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
        metric ? metric->Apply() : glUseProgramObjectARB(0);
        glColor3f(1, 1, 1);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        cube ? glutSolidCube(2.0) : glutSolidSphere(1.0, 50, 50);
        glLoadIdentity();
        // Every colour drawn has all three channels above 12 (the dimmest,
        // the Euclidean blue in ambient light only, is 15).
        const std::vector<unsigned char> rgb = readPixels();
        return std::count_if(rgb.begin(), rgb.end(), [](unsigned char c) { return c > 12; }) / 3;
    }
    ShaderDir dir;
    CerrCapture quiet;
};

// Keys from p = 3 step through 2^(k/4) (2 on the way down) to the ends, move
// p and the uniform together, write nothing and make no GL object (a new one
// gets the number the GL's own stride predicts); `m` builds with the shell's
// p; the sweep follows the clock it is given from the first frame after `a`,
// not the frames, and the frame drives it.
TEST_F(MinkowskiTest, KeysAndSweepSetTheUniformWithoutBuilding) {
    setP(3);
    changeMetric(3);
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB), first = probe(),
                      stride = probe() - first;
    const std::string up(40, '+'), down(40, '-');
    const std::pair<std::string, float> cases[] = {
        {"+", std::exp2(1.75f)}, {"=", std::exp2(1.75f)}, {"---", 2},  {"----", std::exp2(0.75f)},
        {up, INFINITY},          {up + "-", 64},          {down, 0.5f}};
    for (const auto& [keys, want] : cases) {
        setP(3);
        CerrCapture cerr;
        for (char key : keys)
            processNormalKeys(static_cast<unsigned char>(key), 0, 0);
        expectP(want, keys);
        EXPECT_EQ(cerr.text(), "");
    }
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), program);
    EXPECT_EQ(probe(), first + 2 * stride) << "a GL object was made";

    changeMetric(0);
    processNormalKeys('m', 0, 0);
    expectP(0.5f, "rebuilt");
    EXPECT_FLOAT_EQ(current->distance(Tuple(1, -2, 3, -4), Tuple(0, 0, 1, -2)),
                    std::pow(1 + 3 * std::sqrt(2.0), 2));

    processNormalKeys('a', 0, 0);
    for (auto [ms, want] : {std::pair{5000, 1.0f}, {5000, 1.0f}, {7500, 2.0f}, {9900, INFINITY}})
        expectP((advanceSweep(ms), want), std::to_string(ms));
    processNormalKeys('a', 0, 0);
    advanceSweep(12500);
    expectP(INFINITY, "stopped");
    processNormalKeys('a', 0, 0);
    renderScene();
    expectP(1, "the frame drives the sweep");
}

// p = 1, 2, infinity cover what the city-block, Euclidean programs and a
// cube do (the cube less the sphere mesh's chords across its edges); p = 0.5
// a third of the octahedron's square, as |x|^0.5 + |y|^0.5 <= 1 does.
TEST_F(MinkowskiTest, PicturesMatchTheirReferences) {
    CityBlockMetric city;
    EuclideanMetric euclid;
    MinkowskiMetric minkowski(3);
    const int octahedron = covered(&city), sphere = covered(&euclid), cube = covered(nullptr, true);
    const std::tuple<float, int, int> cases[] = {
        {1, octahedron, 10}, {2, sphere, 10}, {INFINITY, cube, 2300}, {0.5f, octahedron / 3, 550}};
    for (auto [p, want, tolerance] : cases) {
        minkowski.setP(p);
        EXPECT_NEAR(covered(&minkowski), want, tolerance) << p;
    }
}

} // namespace
