// The camera on a real GL context: its conversions between Cartesian and
// spherical locations, and the matrices it leaves in the GL.
#include "view/Camera.h"
#include "support/GlContext.h"

#include <GL/glu.h>

#include <cmath>

namespace {

void expectTuple(const Tuple& t, float x, float y, float z, float w, float tol = 1e-4f) {
    EXPECT_NEAR(t[0], x, tol);
    EXPECT_NEAR(t[1], y, tol);
    EXPECT_NEAR(t[2], z, tol);
    EXPECT_NEAR(t[3], w, tol);
}

void expectMatrixNear(const std::vector<float>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
}

// What GLU itself gives for the projection, computed on a scratch matrix.
std::vector<float> gluPerspectiveMatrix(double fov, double aspect) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(fov, aspect, 1.0, 1000.0);
    std::vector<float> m(16);
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return m;
}

class CameraTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        camera = Camera::getInstance();
        // The camera is a singleton: put back what earlier tests moved.
        camera->setLookAt(Tuple(0, 0, 0, 0));
        camera->setUpVec(Tuple(0, 0, 1, 0));
        // Each setter keeps the other form's w, so set both.
        camera->setSphereLocation(Tuple(1, 0, 0, 0));
        camera->setCartLocation(Tuple(10, 10, 10, 0));
        Reshape(400, 400);
    }
    // Look() after glLoadIdentity() leaves what gluLookAt gives for this eye
    // and centre, with +z up.
    void expectLookAt(double ex, double ey, double ez, double cx, double cy, double cz) {
        glLoadIdentity();
        camera->Look();
        const std::vector<float> actual = getFloats(GL_MODELVIEW_MATRIX, 16);
        glLoadIdentity();
        gluLookAt(ex, ey, ez, cx, cy, cz, 0, 0, 1);
        expectMatrixNear(actual, getFloats(GL_MODELVIEW_MATRIX, 16));
    }

    Camera* camera = nullptr;
};

TEST_F(CameraTest, StartStateAndLook) {
    expectTuple(camera->getCartLocation(), 10, 10, 10, 0);
    expectTuple(camera->getSphereLocation(), 17.320509f, 45.0f, 54.735611f, 0);
    expectTuple(camera->getUpVec(), 0, 0, 1, 0);
    expectLookAt(10, 10, 10, 0, 0, 0);
}

TEST_F(CameraTest, CartesianToSpherical) {
    struct Case {
        Tuple cart;
        float r, azimuth, polar;
    };
    const Case cases[] = {
        {Tuple(-10, 10, 0, 0), 14.142136f, 135.0f, 90.0f},
        {Tuple(0, 10, 0, 0), 10.0f, 90.0f, 90.0f},
        {Tuple(10, -10, 0, 0), 14.142136f, -45.0f, 90.0f},
        {Tuple(0, 0, -3, 0), 3.0f, 0.0f, 180.0f},
        {Tuple(-1, 0, 0, 0), 1.0f, 180.0f, 90.0f},
    };
    for (const Case& c : cases) {
        camera->setCartLocation(c.cart);
        const Tuple s = camera->getSphereLocation();
        EXPECT_NEAR(s[0], c.r, 1e-4f);
        EXPECT_NEAR(s[1], c.azimuth, 1e-4f);
        EXPECT_NEAR(s[2], c.polar, 1e-4f);
    }
}

TEST_F(CameraTest, SphericalToCartesianKeepsW) {
    camera->setCartLocation(Tuple(1, 2, 3, 7));
    camera->setSphereLocation(Tuple(10, 0, 0, 0));
    expectTuple(camera->getCartLocation(), 0, 0, 10, 7);

    camera->setSphereLocation(Tuple(5, 90, 90, 0));
    expectTuple(camera->getCartLocation(), 0, 5, 0, 7, 1e-5f);

    camera->setSphereLocation(Tuple(2, 180, 90, 4));
    expectTuple(camera->getCartLocation(), -2, 0, 0, 7, 1e-5f);
    EXPECT_EQ(camera->getSphereLocation()[3], 4.0f);
}

TEST_F(CameraTest, ZeroLocationStoresPolarAngleZero) {
    camera->setCartLocation(Tuple(0, 0, 0, 0));
    const Tuple s = camera->getSphereLocation();
    EXPECT_EQ(s[0], 0.0f);
    EXPECT_EQ(s[2], 0.0f);
    EXPECT_FALSE(std::isnan(s[1]));
}

TEST_F(CameraTest, LookAtMovesTheEyeAlong) {
    camera->setLookAt(Tuple(1, 2, 3, 0));
    expectTuple(camera->getCartLocation(), 10, 10, 10, 0);
    expectTuple(camera->getSphereLocation(), 17.320509f, 45.0f, 54.735611f, 0);
    expectTuple(camera->getAbsolutePos(), 11, 12, 13, 0);
    expectLookAt(11, 12, 13, 1, 2, 3);
}

TEST_F(CameraTest, ReshapeSetsViewportAndProjection) {
    struct Case {
        int width, height;
        int viewportHeight;
        double aspect;
    };
    const Case cases[] = {{800, 400, 400, 2.0}, {640, 0, 1, 640.0}, {300, 600, 600, 0.5}};
    for (const Case& c : cases) {
        glMatrixMode(GL_PROJECTION); // Reshape must leave GL_MODELVIEW current
        Reshape(c.width, c.height);
        GLint viewport[4] = {-1, -1, -1, -1};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], c.width);
        EXPECT_EQ(viewport[3], c.viewportHeight);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        expectMatrixNear(getFloats(GL_PROJECTION_MATRIX, 16), gluPerspectiveMatrix(45.0, c.aspect));
    }
}

TEST_F(CameraTest, FovAndAspectReloadTheProjectionAtOnce) {
    camera->setFOV(60.0f);
    expectMatrixNear(getFloats(GL_PROJECTION_MATRIX, 16), gluPerspectiveMatrix(60.0, 1.0));
    camera->setAspect(1.5f);
    expectMatrixNear(getFloats(GL_PROJECTION_MATRIX, 16), gluPerspectiveMatrix(60.0, 1.5));
    camera->setFOV(45.0f);
}

TEST_F(CameraTest, GettersReturnCopies) {
    Tuple cart = camera->getCartLocation();
    Tuple sphere = camera->getSphereLocation();
    Tuple look = camera->getLookAt();
    Tuple up = camera->getUpVec();
    cart[0] = 99;
    sphere[0] = 99;
    look[0] = 99;
    up[0] = 99;
    expectTuple(camera->getCartLocation(), 10, 10, 10, 0);
    EXPECT_NEAR(camera->getSphereLocation()[0], 17.320509f, 1e-4f);
    expectTuple(camera->getLookAt(), 0, 0, 0, 0);
    expectTuple(camera->getUpVec(), 0, 0, 1, 0);
}

} // namespace
