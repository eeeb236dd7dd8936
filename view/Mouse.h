#pragma once

// Mouse navigation: a right drag orbits the eye around the look-at point, a
// middle drag zooms toward or away from it. Positions are GLUT window
// coordinates: pixels from the left and from the top edge.
class Mouse {
public:
    // Creates the object on first use. It registers GLUT callbacks, so the
    // window must exist before the first call.
    static Mouse* getInstance();

    // Registers MotionFunc, PassiveMotionFunc and MouseFunc with GLUT.
    void GlutInit();

    // Degrees of azimuth or polar angle per pixel of a right drag.
    void setAngleSpeed(float speed);
    float getAngleSpeed() const;
    // Kept for a pan that no drag performs yet.
    void setPanSpeed(float speed);
    float getPanSpeed() const;
    // World units of radius per pixel of vertical middle drag.
    void setZoomSpeed(float speed);
    float getZoomSpeed() const;
    // Whether a right or middle drag (an orbit or a zoom) is in progress.
    bool dragging() const;

private:
    Mouse();

    friend void MouseFunc(int button, int state, int x, int y);
    friend void MotionFunc(int x, int y);
    friend void PassiveMotionFunc(int x, int y);

    static Mouse* m_instance;

    float m_angleSpeed;
    float m_panSpeed;
    float m_zoomSpeed;
    int m_lastX;
    int m_lastY;
    bool m_leftDown;
    bool m_rightDown;
    bool m_middleDown;
};

// GLUT mouse-button callback: follows which of the three buttons are held.
void MouseFunc(int button, int state, int x, int y);
// GLUT motion callback (a button held): orbits on the right button, then
// zooms on the middle one, by the pointer's step since the last motion. A
// zoom step that reaches or passes the look-at point takes the eye through
// it to the opposite side (0.001 past it, if the step lands on it).
void MotionFunc(int x, int y);
// GLUT passive-motion callback: no button is held, whatever was missed.
void PassiveMotionFunc(int x, int y);
