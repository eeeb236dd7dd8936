#include "app/Shell.h"

#include "math/PNorm.h"
#include "metric/Metric.h"
#include "view/Camera.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>

Metric* current = nullptr;
bool wire = true;
int prim = 0;

namespace {

float shellP = 3;
bool sweeping = false;
int sweepStartMs = -1; // -1: not yet seen a frame since the sweep started

// The exponent the sweep or a key chose, into the current Minkowski metric.
void showP(float p) {
    shellP = p;
    if (auto* minkowski = dynamic_cast<MinkowskiMetric*>(current))
        minkowski->setP(p);
}

} // namespace

void renderScene() {
    advanceSweep(glutGet(GLUT_ELAPSED_TIME));
    if (!drawableFits())
        return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Camera::getInstance()->Look();
    drawPrimitive();
    glutSwapBuffers();
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
        setP(raiseP(shellP));
        break;
    case '-':
        setP(lowerP(shellP));
        break;
    case 'a':
        sweeping = !sweeping;
        sweepStartMs = -1;
        break;
    case 'f':
        wire = !wire;
        break;
    case '1':
    case '2':
    case '3':
        prim = key - '1';
        break;
    case 'q':
    case 27:
        std::exit(0);
    default:
        break;
    }
}

void processSpecialKeys(int, int, int) {}

void changeMetric(int index) {
    delete current;
    current = nullptr;
    try {
        Metric* metric;
        switch (index) {
        case 1:
            metric = new CityBlockMetric();
            break;
        case 2:
            metric = new RiemannianMetric("riemann.mat");
            break;
        case 3:
            metric = new MinkowskiMetric(shellP);
            break;
        default:
            metric = new EuclideanMetric();
            break;
        }
        current = metric;
        current->Apply();
    } catch (const std::exception& e) {
        // The old program is already gone; bind none, so the primitive is
        // still drawn (fixed-function) while the user mends the file.
        delete current;
        current = nullptr;
        glUseProgramObjectARB(0);
        std::cerr << e.what() << std::endl;
    }
}

float getP() {
    return shellP;
}

void setP(float p) {
    sweeping = false;
    if (!std::isnan(p))
        showP(clampP(p));
}

void advanceSweep(int elapsedMs) {
    if (!sweeping)
        return;
    if (sweepStartMs < 0)
        sweepStartMs = elapsedMs;
    showP(sweepP((elapsedMs - sweepStartMs) / 1000.0));
}
