// The viewer's shell on a real GL context: the frame, the primitive choice
// and the metric switch, including a switch that fails.
#include "app/Shell.h"
#include "metric/Metric.h"
#include "support/GlContext.h"
#include "view/Camera.h"

#include <GL/glut.h>

#include <cstdio>

namespace {

class ShellTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        Reshape(400, 400);
        wire = true;
        prim = 0;
    }
    void TearDown() override {
        CerrCapture quiet;
        delete current;
        current = nullptr;
        GlTest::TearDown();
    }
    // Draws one frame and reads it back before the swap.
    static std::vector<unsigned char> frame() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        Camera::getInstance()->Look();
        drawPrimitive();
        return readPixels();
    }
    static int lit(const std::vector<unsigned char>& pixels) {
        int n = 0;
        for (size_t i = 0; i < pixels.size(); i += 3)
            n += pixels[i] > 24 || pixels[i + 1] > 24 || pixels[i + 2] > 24;
        return n;
    }
    static GLhandleARB bound() { return glGetHandleARB(GL_PROGRAM_OBJECT_ARB); }

    ShaderDir dir;
};

// A primitive index outside 0..2 draws nothing once and is reset to the
// sphere; 1 and 2 draw the same teapot.
TEST_F(ShellTest, PrimitiveChoice) {
    const int sphere = lit(frame());
    EXPECT_GT(sphere, 500);
    prim = 7;
    EXPECT_EQ(lit(frame()), 0);
    EXPECT_EQ(prim, 0);
    EXPECT_EQ(lit(frame()), sphere);

    prim = 1;
    const std::vector<unsigned char> teapot = frame();
    EXPECT_NE(lit(teapot), sphere);
    prim = 2;
    EXPECT_EQ(frame(), teapot);
}

// The key table changes the globals; keys are case-sensitive.
TEST_F(ShellTest, KeysChangeTheGlobals) {
    processNormalKeys('f', 0, 0);
    EXPECT_FALSE(wire);
    processNormalKeys('F', 0, 0);
    EXPECT_FALSE(wire);
    processNormalKeys('f', 0, 0);
    EXPECT_TRUE(wire);
    for (auto [key, want] : {std::pair{'3', 2}, {'1', 0}, {'2', 1}, {'4', 1}, {'0', 1}}) {
        processNormalKeys(static_cast<unsigned char>(key), 0, 0);
        EXPECT_EQ(prim, want) << key;
    }
}

// Each switch replaces the metric and binds the new program; the old
// program is deleted once it is no longer bound.
TEST_F(ShellTest, SwitchReplacesTheMetricAndItsProgram) {
    CerrCapture quiet;
    changeMetric(0);
    ASSERT_NE(dynamic_cast<EuclideanMetric*>(current), nullptr);
    const GLhandleARB first = bound();
    EXPECT_NE(first, 0u);
    processNormalKeys('t', 0, 0);
    ASSERT_NE(dynamic_cast<CityBlockMetric*>(current), nullptr);
    EXPECT_NE(bound(), first);
    EXPECT_FALSE(glIsProgram(first));
    processNormalKeys('r', 0, 0);
    EXPECT_NE(dynamic_cast<RiemannianMetric*>(current), nullptr);
    changeMetric(5);
    EXPECT_NE(dynamic_cast<EuclideanMetric*>(current), nullptr);
}

// A metric that cannot be built leaves no metric and no program, says why in
// one line after what the shader layer wrote, and the next good switch works.
TEST_F(ShellTest, FailedSwitchLeavesNoMetricAndNoProgram) {
    {
        CerrCapture quiet;
        changeMetric(0);
    }
    const GLhandleARB old = bound();
    dir.write("cityblock.vert", "void main() { broken }\n");
    {
        CerrCapture cerr;
        changeMetric(1);
        const std::string text = cerr.text();
        const std::string last = "Shader::compile() error: cityblock.vert\n";
        ASSERT_GE(text.size(), last.size());
        EXPECT_EQ(text.substr(text.size() - last.size()), last);
        EXPECT_EQ(text.find("Dumping info log from shader cityblock.vert"), 0u) << text;
    }
    EXPECT_EQ(current, nullptr);
    EXPECT_EQ(bound(), 0u);
    EXPECT_FALSE(glIsProgram(old));
    EXPECT_GT(lit(frame()), 500) << "the fixed-function pipeline still draws";

    std::remove((dir.path() + "/riemann.mat").c_str());
    {
        CerrCapture cerr;
        changeMetric(2);
        EXPECT_EQ(cerr.text(), "File not found: riemann.mat\n");
    }
    EXPECT_EQ(current, nullptr);

    CerrCapture quiet;
    changeMetric(0);
    EXPECT_NE(current, nullptr);
    EXPECT_NE(bound(), 0u);
}

} // namespace
