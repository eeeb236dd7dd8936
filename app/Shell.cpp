#include "app/Shell.h"

#include "math/PNorm.h"
#include "view/Camera.h"
#include "view/MeshBuffers.h"
#include "view/Mouse.h"
#include "view/Overlay.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <cstdlib>

Metric* current = nullptr;
bool wire = true;
int prim = 0;
bool showStatus = true;

void renderScene() {
    advanceSweep(glutGet(GLUT_ELAPSED_TIME));
    const auto now = std::chrono::steady_clock::now();
    reloadChanged(now);
    reloadMesh(now);
    if (!drawableFits())
        return;
    drawScene();
    glutSwapBuffers();
}

void drawScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Camera::getInstance()->Look();
    drawPrimitive();
    drawOverlay();
}

namespace {

// statusLine() as the one line the status box draws, kept between frames.
const std::vector<std::string>& statusLines() {
    static std::vector<std::string> lines(1);
    if (lines[0] != statusLine())
        lines[0] = statusLine();
    return lines;
}

} // namespace

void drawOverlay() {
    static const float kFailureColour[3] = {1.0f, 0.85f, 0.3f};
    static const float kStatusColour[3] = {0.85f, 0.85f, 0.85f};
    static Overlay failureBox(Overlay::Corner::TopLeft, kFailureColour);
    static Overlay statusBox(Overlay::Corner::BottomLeft, kStatusColour);
    if (!meshFailureLines().empty()) {
        static std::vector<std::string> both;
        both = failureLines();
        both.insert(both.end(), meshFailureLines().begin(), meshFailureLines().end());
        failureBox.draw(both);
    } else if (!failureLines().empty()) {
        failureBox.draw(failureLines());
    }
    if (current && showStatus)
        statusBox.draw(statusLines());
}

void drawPrimitive() {
    switch (prim) {
    case 0:
        if (wire)
            glutWireSphere(1.0, 50, 50);
        else
            glutSolidSphere(1.0, 50, 50);
        break;
    case 1:
    case 2:
        if (wire)
            glutWireTeapot(1.0);
        else
            glutSolidTeapot(1.0);
        break;
    case 3:
        if (mesh)
            mesh->draw(wire, Mouse::getInstance()->dragging() || sweepRunning());
        else
            prim = 0;
        break;
    default:
        prim = 0;
        break;
    }
}

void processNormalKeys(unsigned char key, int, int) {
    switch (key) {
    case 'e':
        changeMetric(0);
        break;
    case 't':
        changeMetric(1);
        break;
    case 'r':
        changeMetric(2);
        break;
    case 'm':
        changeMetric(3);
        break;
    case '+':
    case '=':
        setP(raiseP(getP()));
        break;
    case '-':
        setP(lowerP(getP()));
        break;
    case 'a':
        toggleSweep();
        break;
    case 'f':
        wire = !wire;
        break;
    case 'h':
        showStatus = !showStatus;
        break;
    case '1':
    case '2':
    case '3':
        prim = key - '1';
        break;
    case '4':
        if (mesh)
            prim = 3;
        break;
    case 'q':
    case 27:
        std::exit(0);
    default:
        break;
    }
}

void processSpecialKeys(int, int, int) {}
