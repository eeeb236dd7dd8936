#pragma once

#include "math/Tuple.h"

// The one camera: where the eye is, what it looks at, which way is up, and the
// perspective projection. The eye is held as an offset from the look-at point,
// twice: Cartesian (x, y, z, w) and spherical (radius, azimuth, polar angle,
// w). Azimuth runs in the x-y plane from +x toward +y, the polar angle from
// +z (the up axis); both are in degrees. Each location setter stores the form
// it is given and derives the other; w is carried along and never converted.
class Camera {
public:
    // Creates the camera on first use. It registers the GLUT reshape
    // callback, so the window must exist before the first call.
    static Camera* getInstance();

    void setCartLocation(Tuple t);
    Tuple getCartLocation() const;
    void setSphereLocation(Tuple s);
    Tuple getSphereLocation() const;
    // The eye in world coordinates: location plus look-at point.
    Tuple getAbsolutePos() const;
    // Moves the look-at point; the eye keeps its offset and moves along.
    void setLookAt(Tuple t);
    Tuple getLookAt() const;
    void setUpVec(Tuple t);
    Tuple getUpVec() const;
    // Field of view in degrees; reloads the projection at once.
    void setFOV(float fov);
    // Width over height; reloads the projection at once.
    void setAspect(float aspect);

    // Reloads GL_PROJECTION from field of view, aspect, near and far, and
    // leaves GL_MODELVIEW as the current matrix.
    void updateFrust();
    // Multiplies the viewing transformation (gluLookAt) onto the current
    // matrix; the caller has reset it.
    void Look();

private:
    Camera();

    friend void Reshape(int width, int height);

    static Camera* m_instance;

    Tuple m_lookAt;
    Tuple m_cartLocation;
    Tuple m_sphereLocation;
    Tuple m_upVec;
    float m_near;
    float m_far;
    float m_aspect;
    float m_fov;
};

// GLUT reshape callback, width and height in pixels: sets the viewport to the
// whole window and the projection's aspect to width / height. A height of 0
// is taken as 1. A window larger than maxDrawableSize() in either direction
// is shrunk to fit (glutReshapeWindow), with one line on std::cerr the first
// time.
void Reshape(int width, int height);

// The largest width and height, in pixels, the current GL can render to: the
// smaller of GL_MAX_VIEWPORT_DIMS and GL_MAX_RENDERBUFFER_SIZE.
int maxDrawableSize();
// Whether the window is within maxDrawableSize() as the client last heard of
// its size, from a ConfigureNotify still queued for GLUT or else from the
// last Reshape; if not, asks GLUT to shrink it (as Reshape does). Asks the X
// server nothing. A frame must not be drawn while this is false: the driver
// would crash on it.
bool drawableFits();
