#include "view/Camera.h"

#include <GL/glut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

// Degrees and radians are converted with this twelve-digit pi, multiplying
// first and dividing second, in double precision.
constexpr double kPi = 3.14159265358;

double toRadians(double degrees) {
    return degrees * kPi / 180.0;
}
double toDegrees(double radians) {
    return radians * 180.0 / kPi;
}

} // namespace

Camera* Camera::m_instance = nullptr;

Camera* Camera::getInstance() {
    if (!m_instance)
        m_instance = new Camera();
    return m_instance;
}

Camera::Camera()
    : m_lookAt(0, 0, 0, 0), m_upVec(0, 0, 1, 0), m_near(1.0f), m_far(1000.0f), m_aspect(1.0f),
      m_fov(45.0f) {
    setCartLocation(Tuple(10, 10, 10, 0));
    glutReshapeFunc(Reshape);
}

void Camera::setCartLocation(Tuple t) {
    m_cartLocation = t;
    const float lengthSquared = t.dot(t);
    m_sphereLocation[0] = std::sqrt(lengthSquared);
    m_sphereLocation[1] = static_cast<float>(toDegrees(std::atan2(t[1], t[0])));
    // At the look-at point itself the polar angle is 0/0; store 0 (straight
    // above) rather than NaN, which would poison every later orbit step.
    const double length = std::sqrt(static_cast<double>(lengthSquared));
    m_sphereLocation[2] =
        length > 0.0 ? static_cast<float>(toDegrees(std::acos(t[2] / length))) : 0.0f;
}

Tuple Camera::getCartLocation() const {
    return m_cartLocation;
}

void Camera::setSphereLocation(Tuple s) {
    m_sphereLocation = s;
    const double r = s[0];
    const double theta = toRadians(s[1]);
    const double phi = toRadians(s[2]);
    m_cartLocation[0] = static_cast<float>((r * std::sin(phi)) * std::cos(theta));
    m_cartLocation[1] = static_cast<float>((r * std::sin(phi)) * std::sin(theta));
    m_cartLocation[2] = static_cast<float>(r * std::cos(phi));
}

Tuple Camera::getSphereLocation() const {
    return m_sphereLocation;
}

Tuple Camera::getAbsolutePos() const {
    return m_cartLocation + m_lookAt;
}

void Camera::setLookAt(Tuple t) {
    m_lookAt = t;
}

Tuple Camera::getLookAt() const {
    return m_lookAt;
}

void Camera::setUpVec(Tuple t) {
    m_upVec = t;
}

Tuple Camera::getUpVec() const {
    return m_upVec;
}

void Camera::setFOV(float fov) {
    m_fov = fov;
    updateFrust();
}

void Camera::setAspect(float aspect) {
    m_aspect = aspect;
    updateFrust();
}

void Camera::updateFrust() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(m_fov, m_aspect, m_near, m_far);
    glMatrixMode(GL_MODELVIEW);
}

void Camera::Look() {
    const Tuple eye = m_cartLocation + m_lookAt;
    gluLookAt(eye[0], eye[1], eye[2], m_lookAt[0], m_lookAt[1], m_lookAt[2], m_upVec[0], m_upVec[1],
              m_upVec[2]);
}

int maxDrawableSize() {
    GLint viewport[2] = {0, 0};
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    return std::min({viewport[0], viewport[1], renderbuffer});
}

namespace {

int drawableLimit() {
    static const int limit = maxDrawableSize();
    return limit;
}

// Asks GLUT for the largest size the GL can draw, saying so the first time.
void shrinkWindow(int width, int height) {
    static bool told = false;
    if (!told)
        std::cerr << "The window (" << width << "x" << height
                  << ") is larger than the GL can draw; shrinking it to at most " << drawableLimit()
                  << "x" << drawableLimit() << "\n";
    told = true;
    glutReshapeWindow(std::min(width, drawableLimit()), std::min(height, drawableLimit()));
}

} // namespace

namespace {

// The window's size as Reshape was last told it, before any shrinking.
int toldWidth = 0;
int toldHeight = 0;

// XCheckIfEvent predicate: records the size of each ConfigureNotify for the
// window `arg` points to (in queue order, so the last one wins) and takes
// none of them out of the queue.
Bool recordSize(Display*, XEvent* event, XPointer arg) {
    auto* size = reinterpret_cast<XConfigureEvent*>(arg);
    if (event->type == ConfigureNotify && event->xconfigure.window == size->window)
        *size = event->xconfigure;
    return False;
}

} // namespace

bool drawableFits() {
    // The driver sizes each frame from the X server at its first draw, while
    // GLUT hears of a resize only when it handles the event, possibly a frame
    // too late. A ConfigureNotify the client has received but GLUT has not yet
    // handled says the new size without a round trip to the server.
    XConfigureEvent size{};
    size.window = glXGetCurrentDrawable();
    size.width = toldWidth;
    size.height = toldHeight;
    XEvent unused;
    XCheckIfEvent(glXGetCurrentDisplay(), &unused, recordSize, reinterpret_cast<XPointer>(&size));
    const int limit = drawableLimit();
    if (size.width <= limit && size.height <= limit)
        return true;
    shrinkWindow(size.width, size.height);
    return false;
}

void Reshape(int width, int height) {
    toldWidth = width;
    toldHeight = height;
    if (width > drawableLimit() || height > drawableLimit()) {
        shrinkWindow(width, height);
        width = std::min(width, drawableLimit());
        height = std::min(height, drawableLimit());
    }
    Camera* camera = Camera::getInstance();
    if (height == 0)
        height = 1;
    camera->m_aspect = static_cast<float>(static_cast<double>(width) / height);
    glViewport(0, 0, width, height);
    camera->updateFrust();
}
