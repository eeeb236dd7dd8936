#include "app/Shell.h"

#include "io/MeshFile.h"
#include "metric/Metric.h"
#include "view/Camera.h"
#include "view/MeshBuffers.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <stdexcept>

Metric* current = nullptr;
bool wire = true;
int prim = 0;
std::unique_ptr<MeshBuffers> mesh;

void renderScene() {
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
    case 3:
        if (mesh)
            mesh->draw(wire);
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
    case 'f':
        wire = !wire;
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

void loadMesh(const std::string& path) {
    MeshData data = readMeshFile(path);
    fitUnitSphere(data);
    try {
        mesh = std::make_unique<MeshBuffers>(data);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

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
