// Mouse navigation through its GLUT callbacks, with the camera it moves: the
// orbit's wrap and clamp, the zoom and its flip through the look-at point, and
// the buttons that move nothing.
#include "view/Mouse.h"
#include "support/GlContext.h"
#include "view/Camera.h"

#include <GL/glut.h>

#include <cmath>

namespace {

class MouseTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        Mouse::getInstance();
        // No button held, pointer at (100, 100).
        PassiveMotionFunc(100, 100);
    }

    static void place(float r, float azimuth, float polar) {
        Camera::getInstance()->setSphereLocation(Tuple(r, azimuth, polar, 0));
    }
    static Tuple sphere() { return Camera::getInstance()->getSphereLocation(); }

    // One motion step from (100, 100) by (dx, dy) pixels with `button` held.
    static void dragBy(int button, int dx, int dy) {
        PassiveMotionFunc(100, 100);
        MouseFunc(button, GLUT_DOWN, 100, 100);
        MotionFunc(100 + dx, 100 + dy);
        MouseFunc(button, GLUT_UP, 100 + dx, 100 + dy);
    }
};

// A right drag of one pixel turns one degree; the pointer moving right lowers
// the azimuth, moving down lowers the polar angle. The azimuth wraps once
// into [0, 360]; the polar angle is kept off the poles.
TEST_F(MouseTest, RightDragOrbitsWithWrapAndClamp) {
    const struct {
        float azimuth, polar;
        int dx, dy;
        float wantAzimuth, wantPolar;
    } cases[] = {
        {45, 60, 5, 0, 40, 60},     {2, 60, 5, 0, 357, 60},   {358, 60, -5, 0, 3, 60},
        {355, 60, -5, 0, 360, 60},  {45, 3, 0, 5, 45, 1},     {45, 178, 0, -5, 45, 179},
        {45, 5.5f, 0, 5, 45, 0.5f}, {45, 60, 0, -10, 45, 70}, {45, 60, 0, 10, 45, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.azimuth << "," << c.polar << " by " << c.dx << "," << c.dy);
        place(10, c.azimuth, c.polar);
        dragBy(GLUT_RIGHT_BUTTON, c.dx, c.dy);
        EXPECT_FLOAT_EQ(sphere()[0], 10);
        EXPECT_NEAR(sphere()[1], c.wantAzimuth, 1e-4);
        EXPECT_NEAR(sphere()[2], c.wantPolar, 1e-4);
    }
}

// A middle drag moves the eye 0.1 units a pixel, away when dragging up; past
// the look-at point it comes out on the other side, the same point named with
// a positive radius. A step that would land exactly on the look-at point is
// skipped, so the view never degenerates.
TEST_F(MouseTest, MiddleDragZoomsAndFlipsThroughTheCentre) {
    const struct {
        float r, azimuth, polar;
        int dy;
        float wantR, wantAzimuth, wantPolar;
    } cases[] = {
        {10, 45, 60, -10, 11, 45, 60},      {10, 45, 60, 10, 9, 45, 60},
        {0.5f, 45, 60, 10, 0.5f, 225, 120}, {0.5f, 300, 60, 10, 0.5f, 480, 120},
        {1, 45, 60, 10, 1, 45, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.r << "," << c.azimuth << "," << c.polar << " by " << c.dy);
        place(c.r, c.azimuth, c.polar);
        dragBy(GLUT_MIDDLE_BUTTON, 0, c.dy);
        EXPECT_NEAR(sphere()[0], c.wantR, 1e-5);
        EXPECT_NEAR(sphere()[1], c.wantAzimuth, 1e-4);
        EXPECT_NEAR(sphere()[2], c.wantPolar, 1e-4);
        // The Cartesian eye always agrees with the spherical one.
        const Tuple cart = Camera::getInstance()->getCartLocation();
        EXPECT_NEAR(std::sqrt(cart.dot(cart)), c.wantR, 1e-4);
    }
}

// With both buttons held one motion first orbits, then zooms.
TEST_F(MouseTest, RightAndMiddleTogetherOrbitThenZoom) {
    place(10, 45, 60);
    PassiveMotionFunc(100, 100);
    MouseFunc(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 100);
    MouseFunc(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 100);
    MotionFunc(103, 90);
    EXPECT_NEAR(sphere()[0], 11, 1e-5);
    EXPECT_NEAR(sphere()[1], 42, 1e-5);
    EXPECT_NEAR(sphere()[2], 70, 1e-5);
}

// Nothing moves for a left drag, another button or an unknown state, and a
// passive motion forgets a release GLUT never reported.
TEST_F(MouseTest, OtherButtonsAndStatesMoveNothing) {
    place(10, 45, 60);
    dragBy(GLUT_LEFT_BUTTON, 30, 30);
    for (int button : {3, 4}) {
        MouseFunc(button, GLUT_DOWN, 100, 100);
        MotionFunc(130, 130);
    }
    MouseFunc(GLUT_RIGHT_BUTTON, 2, 100, 100);
    MotionFunc(100, 100);
    MouseFunc(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 100);
    PassiveMotionFunc(100, 100);
    MotionFunc(150, 150);
    EXPECT_FLOAT_EQ(sphere()[0], 10);
    EXPECT_FLOAT_EQ(sphere()[1], 45);
    EXPECT_FLOAT_EQ(sphere()[2], 60);

    // The step of a drag is measured from the last motion, left drags
    // included: here (150, 150), so a right press and a move to (145, 150)
    // turns 5 degrees.
    MouseFunc(GLUT_RIGHT_BUTTON, GLUT_DOWN, 150, 150);
    MotionFunc(145, 150);
    EXPECT_NEAR(sphere()[1], 50, 1e-5);
}

} // namespace
