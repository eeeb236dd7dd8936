#include "app/Shell.h"

#include "io/FileWatcher.h"
#include "metric/Metric.h"
#include "shader/ShaderError.h"
#include "view/Camera.h"
#include "view/Overlay.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <sstream>

Metric* current = nullptr;
bool wire = true;
int prim = 0;
bool showStatus = false;

namespace {

// Every metric by the index changeMetric takes: its name and the files it is
// built from besides metric.vert and metric.frag. A new metric is one line.
struct MetricSources {
    const char* name;
    std::vector<std::string> files;
};
const std::vector<MetricSources> kMetrics = {
    {"Euclidean", {"euclid.vert"}},
    {"city-block", {"cityblock.vert"}},
    {"Riemannian", {"riemann.vert", "riemann.mat"}},
};

// How many lines of the driver's info log failureLines() keeps.
constexpr size_t kLogLines = 4;

FileWatcher watcher;
bool watching = true;
int requested = 0;
std::vector<std::string> failure;

const MetricSources& sources(int index) {
    return kMetrics[index >= 0 && index < static_cast<int>(kMetrics.size()) ? index : 0];
}

} // namespace

void renderScene() {
    reloadChanged(std::chrono::steady_clock::now());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Camera::getInstance()->Look();
    drawPrimitive();
    drawOverlay();
    glutSwapBuffers();
}

void drawOverlay() {
    static const float kFailureColour[3] = {1.0f, 0.85f, 0.3f};
    static const float kStatusColour[3] = {0.85f, 0.85f, 0.85f};
    static Overlay failureBox(Overlay::Corner::TopLeft, kFailureColour);
    static Overlay statusBox(Overlay::Corner::BottomLeft, kStatusColour);
    if (!failure.empty())
        failureBox.draw(failure);
    else if (current && showStatus)
        statusBox.draw({statusLine()});
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
    case 'q':
    case 27:
        std::exit(0);
    default:
        break;
    }
}

void processSpecialKeys(int, int, int) {}

void changeMetric(int index) {
    // Stamps first: a save made while building is a change still to come.
    requested = index;
    std::vector<std::string> files = sources(index).files;
    files.insert(files.end(), {"metric.vert", "metric.frag"});
    watcher.watch(std::move(files));
    failure.clear();
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
        failure = {e.what()};
        if (const auto* error = dynamic_cast<const ShaderError*>(&e)) {
            std::istringstream log(error->log());
            std::string line;
            while (failure.size() <= kLogLines && std::getline(log, line))
                if (!line.empty())
                    failure.push_back(line);
        }
    }
}

bool reloadChanged(std::chrono::steady_clock::time_point now) {
    if (!watching || !watcher.poll(now))
        return false;
    changeMetric(requested);
    return true;
}

void setWatching(bool on) {
    watching = on;
}

std::string statusLine() {
    return current ? std::string(sources(requested).name) + " metric" : std::string();
}

const std::vector<std::string>& failureLines() {
    return failure;
}
