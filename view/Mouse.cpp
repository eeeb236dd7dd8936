#include "view/Mouse.h"

#include "view/Camera.h"

#include <GL/glut.h>

#include <algorithm>

namespace {

// How far past the look-at point a zoom step that lands on it takes the eye.
constexpr float kPastCentre = 0.001f;

} // namespace

Mouse* Mouse::m_instance = nullptr;

Mouse* Mouse::getInstance() {
    if (!m_instance)
        m_instance = new Mouse();
    return m_instance;
}

Mouse::Mouse()
    : m_angleSpeed(1.0f), m_panSpeed(0.1f), m_zoomSpeed(0.1f), m_lastX(0), m_lastY(0),
      m_leftDown(false), m_rightDown(false), m_middleDown(false) {
    GlutInit();
}

void Mouse::GlutInit() {
    glutMotionFunc(MotionFunc);
    glutPassiveMotionFunc(PassiveMotionFunc);
    glutMouseFunc(MouseFunc);
}

void Mouse::setAngleSpeed(float speed) {
    m_angleSpeed = speed;
}
float Mouse::getAngleSpeed() const {
    return m_angleSpeed;
}
void Mouse::setPanSpeed(float speed) {
    m_panSpeed = speed;
}
float Mouse::getPanSpeed() const {
    return m_panSpeed;
}
void Mouse::setZoomSpeed(float speed) {
    m_zoomSpeed = speed;
}
float Mouse::getZoomSpeed() const {
    return m_zoomSpeed;
}
bool Mouse::dragging() const {
    return m_rightDown || m_middleDown;
}

void MouseFunc(int button, int state, int, int) {
    Mouse* mouse = Mouse::getInstance();
    bool* flag = nullptr;
    switch (button) {
    case GLUT_LEFT_BUTTON:
        flag = &mouse->m_leftDown;
        break;
    case GLUT_MIDDLE_BUTTON:
        flag = &mouse->m_middleDown;
        break;
    case GLUT_RIGHT_BUTTON:
        flag = &mouse->m_rightDown;
        break;
    default:
        return;
    }
    if (state == GLUT_DOWN)
        *flag = true;
    else if (state == GLUT_UP)
        *flag = false;
}

void PassiveMotionFunc(int x, int y) {
    Mouse* mouse = Mouse::getInstance();
    mouse->m_leftDown = false;
    mouse->m_rightDown = false;
    mouse->m_middleDown = false;
    mouse->m_lastX = x;
    mouse->m_lastY = y;
}

void MotionFunc(int x, int y) {
    Mouse* mouse = Mouse::getInstance();
    const int dx = mouse->m_lastX - x;
    const int dy = mouse->m_lastY - y;
    mouse->m_lastX = x;
    mouse->m_lastY = y;
    Camera* camera = Camera::getInstance();

    if (mouse->m_rightDown) {
        Tuple s = camera->getSphereLocation();
        s[1] = s[1] + static_cast<float>(dx) * mouse->m_angleSpeed;
        s[2] = s[2] + static_cast<float>(dy) * mouse->m_angleSpeed;
        // One wrap of the azimuth is enough for any sane step; exactly 360 stays.
        if (s[1] < 0.0f)
            s[1] += 360.0f;
        else if (s[1] > 360.0f)
            s[1] -= 360.0f;
        // Keep the eye off the poles, where the view direction would be
        // parallel to the up vector.
        if (s[2] <= 0.0f)
            s[2] = 1.0f;
        else if (s[2] >= 180.0f)
            s[2] = 179.0f;
        camera->setSphereLocation(s);
    }

    if (mouse->m_middleDown) {
        Tuple s = camera->getSphereLocation();
        const float radius = s[0] + static_cast<float>(dy) * mouse->m_zoomSpeed;
        s[0] = radius;
        if (radius <= 0.0f) {
            // Through the look-at point: the same line, named with a positive
            // radius on the opposite side, so the view flips. A step that
            // lands on the point itself goes just past it: the view needs the
            // eye off the centre.
            s[0] = std::max(-radius, kPastCentre);
            s[1] = s[1] + 180.0f;
            s[2] = (90.0f - s[2]) + (90.0f - s[2]) + s[2];
        }
        camera->setSphereLocation(s);
    }
}
